#include "render/d3d9/recording/recording_direct3d.h"

#include "render/d3d9/recording/d3d9_names.h"
#include "render/d3d9/recording/recording_device.h"

namespace velmora::d3d9::recording {

namespace {

class RecordingDirect3D final : public Recording<IDirect3D9> {
public:
    using Recording::Recording;

    HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                         DWORD BehaviorFlags, D3DPRESENT_PARAMETERS* pPresentationParameters,
                         IDirect3DDevice9** ppReturnedDeviceInterface) override {
        std::optional<D3DPRESENT_PARAMETERS> asPassed;
        if (pPresentationParameters != nullptr) {
            asPassed = *pPresentationParameters;
        }
        const HRESULT result = Log(
            "CreateDevice",
            {std::to_string(Adapter), DeviceTypeName(DeviceType),
             hFocusWindow == nullptr ? "null"
                                     : HexText(reinterpret_cast<std::uintptr_t>(hFocusWindow)),
             HexText(BehaviorFlags), pPresentationParameters == nullptr ? "null" : "params",
             ppReturnedDeviceInterface == nullptr ? "null" : "out"},
            [&]() -> HRESULT {
                if (pPresentationParameters == nullptr || ppReturnedDeviceInterface == nullptr) {
                    return D3DERR_INVALIDCALL;
                }
                D3DPRESENT_PARAMETERS& params = *pPresentationParameters;
                // A windowed back buffer of size 0 takes the window's client size, written
                // back as Direct3D does.
                if (params.Windowed && params.BackBufferWidth == 0) {
                    params.BackBufferWidth = state_.windowWidth;
                }
                if (params.Windowed && params.BackBufferHeight == 0) {
                    params.BackBufferHeight = state_.windowHeight;
                }
                if (params.Windowed && params.BackBufferFormat == D3DFMT_UNKNOWN) {
                    params.BackBufferFormat = D3DFMT_X8R8G8B8;
                }
                *ppReturnedDeviceInterface = MakeRecordingDevice(state_, record_);
                return D3D_OK;
            });
        state_.LastCall().presentParameters = asPassed;
        return result;
    }
};

}  // namespace

IDirect3D9* MakeRecordingDirect3D(RecorderState& state) {
    RecordedObject& record = state.NewRecord(ObjectKind::Direct3D, nullptr);
    auto object = std::make_unique<RecordingDirect3D>(state, record, "IDirect3D9");
    IDirect3D9* made = object.get();
    state.Register(made, record);
    state.objects.push_back(std::move(object));
    return made;
}

}  // namespace velmora::d3d9::recording
