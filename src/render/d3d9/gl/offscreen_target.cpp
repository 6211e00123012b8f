#include "render/d3d9/gl/offscreen_target.h"

#include "render/d3d9/gl/egl_display.h"

namespace velmora::d3d9::gl {

struct OffscreenTarget::Egl {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;

    ~Egl() {
        if (context != EGL_NO_CONTEXT) {
            if (eglGetCurrentContext() == context) {
                eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
            }
            eglDestroyContext(display, context);
        }
    }
};

std::shared_ptr<OffscreenTarget> OffscreenTarget::Create(UINT width, UINT height) {
    auto egl = std::make_unique<Egl>();
    egl->display = SurfacelessDisplay();
    if (egl->display == EGL_NO_DISPLAY || width == 0 || height == 0 ||
        !epoxy_has_egl_extension(egl->display, "EGL_KHR_surfaceless_context")) {
        return nullptr;
    }
    egl->context = CreateCoreContext(egl->display, 0).context;
    if (egl->context == EGL_NO_CONTEXT) {
        return nullptr;
    }
    std::shared_ptr<OffscreenTarget> target(new OffscreenTarget(width, height, std::move(egl)));
    win32::RegisterGlSurface(target->Window(), target);
    return target;
}

OffscreenTarget::OffscreenTarget(UINT width, UINT height, std::unique_ptr<Egl> egl)
    : width_(width), height_(height), egl_(std::move(egl)) {}

OffscreenTarget::~OffscreenTarget() {
    win32::UnregisterGlSurface(Window());
}

HWND OffscreenTarget::Window() const {
    // The target's own address: unique among living targets and never a real window.
    return reinterpret_cast<HWND>(const_cast<OffscreenTarget*>(this));
}

bool OffscreenTarget::MakeCurrent() {
    return eglMakeCurrent(egl_->display, EGL_NO_SURFACE, EGL_NO_SURFACE, egl_->context) == EGL_TRUE;
}

SIZE OffscreenTarget::ClientSizeInPixels() const {
    return SIZE{static_cast<LONG>(width_), static_cast<LONG>(height_)};
}

}  // namespace velmora::d3d9::gl
