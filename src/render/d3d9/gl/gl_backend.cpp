#include "render/d3d9/gl/gl_backend.h"

#include "render/d3d9/gl/gl_device.h"
#include "render/d3d9/gl/gl_direct3d.h"

namespace velmora::d3d9::gl {

Direct3DFactory GlBackend() {
    return MakeGlDirect3D;
}

std::optional<BackBufferPixels> ReadBackBuffer(IDirect3DDevice9* device) {
    auto* glDevice = dynamic_cast<GlDevice*>(device);
    if (glDevice == nullptr) {
        return std::nullopt;
    }
    return glDevice->ReadBackBuffer();
}

unsigned TakeGlError(IDirect3DDevice9* device) {
    auto* glDevice = dynamic_cast<GlDevice*>(device);
    return glDevice == nullptr ? 0 : glDevice->TakeGlError();
}

}  // namespace velmora::d3d9::gl
