#include <algorithm>

#include <epoxy/gl.h>

#include "app/platform/win32/gl_surface.h"
#include "render/d3d9/gl/gl_device.h"
#include "render/d3d9/gl/gl_direct3d.h"
#include "render/d3d9/gl/ref_counted.h"

namespace velmora::d3d9::gl {

namespace {

// The presentation parameters the viewer can be given: windowed, one back buffer in the
// display format, no multisampling, D24X8 or no depth, no flags, one retrace or none.
bool SupportedParameters(const D3DPRESENT_PARAMETERS& params) {
    const bool depthOk =
        !params.EnableAutoDepthStencil || params.AutoDepthStencilFormat == D3DFMT_D24X8;
    const bool formatOk =
        params.BackBufferFormat == D3DFMT_UNKNOWN || params.BackBufferFormat == D3DFMT_X8R8G8B8;
    const bool intervalOk = params.PresentationInterval == D3DPRESENT_INTERVAL_DEFAULT ||
                            params.PresentationInterval == D3DPRESENT_INTERVAL_ONE ||
                            params.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE;
    const bool swapOk = params.SwapEffect == D3DSWAPEFFECT_DISCARD ||
                        params.SwapEffect == D3DSWAPEFFECT_FLIP ||
                        params.SwapEffect == D3DSWAPEFFECT_COPY;
    return params.Windowed && params.BackBufferCount <= 1 &&
           params.MultiSampleType == D3DMULTISAMPLE_NONE && params.MultiSampleQuality == 0 &&
           params.Flags == 0 && params.FullScreen_RefreshRateInHz == 0 && depthOk && formatOk &&
           intervalOk && swapOk;
}

bool SupportedBehavior(DWORD flags) {
    const DWORD processing =
        flags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                 D3DCREATE_MIXED_VERTEXPROCESSING);
    const bool exactlyOne = processing != 0 && (processing & (processing - 1)) == 0;
    return exactlyOne && (flags & ~(processing | D3DCREATE_MULTITHREADED)) == 0;
}

class GlDirect3D final : public RefCounted<IDirect3D9> {
public:
    HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                         DWORD BehaviorFlags, D3DPRESENT_PARAMETERS* pPresentationParameters,
                         IDirect3DDevice9** ppReturnedDeviceInterface) override {
        if (ppReturnedDeviceInterface == nullptr || pPresentationParameters == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        *ppReturnedDeviceInterface = nullptr;
        D3DPRESENT_PARAMETERS& params = *pPresentationParameters;
        if (Adapter != D3DADAPTER_DEFAULT || !SupportedBehavior(BehaviorFlags) ||
            !SupportedParameters(params)) {
            return D3DERR_INVALIDCALL;
        }
        if (DeviceType != D3DDEVTYPE_HAL) {
            return D3DERR_NOTAVAILABLE;
        }
        const HWND window = params.hDeviceWindow != nullptr ? params.hDeviceWindow : hFocusWindow;
        std::shared_ptr<win32::GlSurface> surface = win32::FindGlSurface(window);
        if (!surface) {
            return D3DERR_NOTAVAILABLE;
        }
        auto context = std::make_shared<GlContext>(surface);
        if (!context->EnsureCurrent() || epoxy_gl_version() < 45 || epoxy_is_desktop_gl() == 0) {
            return D3DERR_NOTAVAILABLE;
        }
        // The back buffer takes the client size now and keeps it; Present stretches it.
        const SIZE client = surface->ClientSizeInPixels();
        GlDeviceSettings settings{
            params.BackBufferWidth != 0 ? params.BackBufferWidth
                                        : static_cast<UINT>(std::max<LONG>(client.cx, 1)),
            params.BackBufferHeight != 0 ? params.BackBufferHeight
                                         : static_cast<UINT>(std::max<LONG>(client.cy, 1)),
            params.EnableAutoDepthStencil != FALSE};
        GLint maxSize = 0;
        glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
        if (settings.backBufferWidth > static_cast<UINT>(maxSize) ||
            settings.backBufferHeight > static_cast<UINT>(maxSize)) {
            return D3DERR_NOTAVAILABLE;
        }
        GlDevice* device = GlDevice::Create(*this, context, settings);
        if (device == nullptr) {
            return D3DERR_NOTAVAILABLE;
        }
        surface->SetSwapInterval(params.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0
                                                                                              : 1);
        // Direct3D writes back what it chose for a windowed device.
        params.BackBufferWidth = settings.backBufferWidth;
        params.BackBufferHeight = settings.backBufferHeight;
        params.BackBufferFormat = D3DFMT_X8R8G8B8;
        params.BackBufferCount = 1;
        *ppReturnedDeviceInterface = device;
        return D3D_OK;
    }
};

}  // namespace

IDirect3D9* MakeGlDirect3D() {
    return new GlDirect3D;
}

}  // namespace velmora::d3d9::gl
