#include "render/d3d9/recording/recording_device.h"

#include "render/d3d9/recording/d3d9_names.h"
#include "render/d3d9/recording/recording_resources.h"

namespace velmora::d3d9::recording {

namespace {

std::string OutText(const void* out) {
    return out == nullptr ? "null" : "out";
}

class RecordingDevice final : public Recording<IDirect3DDevice9> {
public:
    using Recording::Recording;

    HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override {
        return Log("SetRenderState", {RenderStateName(State), std::to_string(Value)},
                   [] { return D3D_OK; });
    }

    HRESULT SetTexture(DWORD Sampler, IDirect3DBaseTexture9* pTexture) override {
        return Log("SetTexture", {std::to_string(Sampler), state_.IdOf(pTexture)},
                   [] { return D3D_OK; });
    }

    HRESULT SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override {
        return Log("SetSamplerState",
                   {std::to_string(Sampler), SamplerStateName(Type), std::to_string(Value)},
                   [] { return D3D_OK; });
    }

    HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override {
        return Log("SetTextureStageState",
                   {std::to_string(Stage), TextureStageStateName(Type), std::to_string(Value)},
                   [] { return D3D_OK; });
    }

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override {
        const HRESULT result =
            Log("SetTransform", {TransformStateName(State), pMatrix == nullptr ? "null" : "matrix"},
                [&] { return pMatrix == nullptr ? D3DERR_INVALIDCALL : D3D_OK; });
        if (pMatrix != nullptr) {
            state_.LastCall().matrix = *pMatrix;
        }
        return result;
    }

    HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                  DWORD Stencil) override {
        return Log("Clear",
                   {std::to_string(Count), pRects == nullptr ? "null" : "rects",
                    ClearFlagsName(Flags), ColorText(Color), FloatText(Z), std::to_string(Stencil)},
                   [] { return D3D_OK; });
    }

    HRESULT BeginScene() override {
        return Log("BeginScene", {}, [this] {
            // Direct3D refuses a nested scene and keeps the open one.
            if (inScene_) {
                return D3DERR_INVALIDCALL;
            }
            inScene_ = true;
            return D3D_OK;
        });
    }

    HRESULT EndScene() override {
        return Log("EndScene", {}, [this] {
            if (!inScene_) {
                return D3DERR_INVALIDCALL;
            }
            inScene_ = false;
            return D3D_OK;
        });
    }

    HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                    const RGNDATA* pDirtyRegion) override {
        return Log(
            "Present",
            {pSourceRect == nullptr ? "null" : "rect", pDestRect == nullptr ? "null" : "rect",
             hDestWindowOverride == nullptr ? "null" : "window",
             pDirtyRegion == nullptr ? "null" : "region"},
            [this] { return inScene_ ? D3DERR_INVALIDCALL : D3D_OK; });
    }

    HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                               IDirect3DVertexBuffer9** ppVertexBuffer,
                               HANDLE* pSharedHandle) override {
        return Log("CreateVertexBuffer",
                   {std::to_string(Length), HexText(Usage), HexText(FVF), PoolName(Pool),
                    OutText(ppVertexBuffer), OutText(pSharedHandle)},
                   [&]() -> HRESULT {
                       if (ppVertexBuffer == nullptr || Length == 0 || pSharedHandle != nullptr) {
                           return D3DERR_INVALIDCALL;
                       }
                       *ppVertexBuffer =
                           MakeRecordingVertexBuffer(state_, record_, Length, Usage, FVF, Pool);
                       return D3D_OK;
                   });
    }

    HRESULT CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                              IDirect3DIndexBuffer9** ppIndexBuffer,
                              HANDLE* pSharedHandle) override {
        return Log("CreateIndexBuffer",
                   {std::to_string(Length), HexText(Usage), FormatName(Format), PoolName(Pool),
                    OutText(ppIndexBuffer), OutText(pSharedHandle)},
                   [&]() -> HRESULT {
                       if (ppIndexBuffer == nullptr || Length == 0 || pSharedHandle != nullptr ||
                           (Format != D3DFMT_INDEX16 && Format != D3DFMT_INDEX32)) {
                           return D3DERR_INVALIDCALL;
                       }
                       *ppIndexBuffer =
                           MakeRecordingIndexBuffer(state_, record_, Length, Usage, Format, Pool);
                       return D3D_OK;
                   });
    }

    HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                          D3DPOOL Pool, IDirect3DTexture9** ppTexture,
                          HANDLE* pSharedHandle) override {
        return Log(
            "CreateTexture",
            {std::to_string(Width), std::to_string(Height), std::to_string(Levels), HexText(Usage),
             FormatName(Format), PoolName(Pool), OutText(ppTexture), OutText(pSharedHandle)},
            [&]() -> HRESULT {
                const UINT fullChain = FullMipChainLength(Width, Height);
                if (ppTexture == nullptr || Width == 0 || Height == 0 || Levels > fullChain ||
                    pSharedHandle != nullptr ||
                    (Format != D3DFMT_A8R8G8B8 && Format != D3DFMT_X8R8G8B8)) {
                    return D3DERR_INVALIDCALL;
                }
                *ppTexture =
                    MakeRecordingTexture(state_, record_, Width, Height,
                                         Levels == 0 ? fullChain : Levels, Usage, Format, Pool);
                return D3D_OK;
            });
    }

    HRESULT SetFVF(DWORD FVF) override {
        return Log("SetFVF", {HexText(FVF)}, [] { return D3D_OK; });
    }

    HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                            UINT OffsetInBytes, UINT Stride) override {
        return Log("SetStreamSource",
                   {std::to_string(StreamNumber), state_.IdOf(pStreamData),
                    std::to_string(OffsetInBytes), std::to_string(Stride)},
                   [] { return D3D_OK; });
    }

    HRESULT SetIndices(IDirect3DIndexBuffer9* pIndexData) override {
        return Log("SetIndices", {state_.IdOf(pIndexData)}, [] { return D3D_OK; });
    }

    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE Type, INT BaseVertexIndex, UINT MinVertexIndex,
                                 UINT NumVertices, UINT StartIndex, UINT PrimitiveCount) override {
        return Log("DrawIndexedPrimitive",
                   {PrimitiveTypeName(Type), std::to_string(BaseVertexIndex),
                    std::to_string(MinVertexIndex), std::to_string(NumVertices),
                    std::to_string(StartIndex), std::to_string(PrimitiveCount)},
                   [] { return D3D_OK; });
    }

private:
    bool inScene_ = false;
};

}  // namespace

IDirect3DDevice9* MakeRecordingDevice(RecorderState& state, RecordedObject& direct3d) {
    RecordedObject& record = state.NewRecord(ObjectKind::Device, &direct3d);
    auto object = std::make_unique<RecordingDevice>(state, record, "IDirect3DDevice9");
    IDirect3DDevice9* made = object.get();
    state.Register(made, record);
    state.objects.push_back(std::move(object));
    return made;
}

}  // namespace velmora::d3d9::recording
