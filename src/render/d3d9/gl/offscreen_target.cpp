#include "render/d3d9/gl/offscreen_target.h"

#include <epoxy/egl.h>

namespace velmora::d3d9::gl {

namespace {

// One EGL display for the process, initialised on first use and kept: contexts of every
// target share it, and terminating it under a living context would break that context.
EGLDisplay SurfacelessDisplay() {
    static const EGLDisplay display = [] {
        if (!epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_MESA_platform_surfaceless") ||
            !epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_EXT_platform_base")) {
            return EGL_NO_DISPLAY;
        }
        EGLDisplay made =
            eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        EGLint major = 0;
        EGLint minor = 0;
        if (made == EGL_NO_DISPLAY || !eglInitialize(made, &major, &minor)) {
            return EGL_NO_DISPLAY;
        }
        return made;
    }();
    return display;
}

}  // namespace

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
        !epoxy_has_egl_extension(egl->display, "EGL_KHR_surfaceless_context") ||
        !eglBindAPI(EGL_OPENGL_API)) {
        return nullptr;
    }
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, 0, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint found = 0;
    if (!eglChooseConfig(egl->display, configAttributes, &config, 1, &found) || found != 1) {
        return nullptr;
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                        4,
                                        EGL_CONTEXT_MINOR_VERSION,
                                        5,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                        EGL_NONE};
    egl->context = eglCreateContext(egl->display, config, EGL_NO_CONTEXT, contextAttributes);
    if (egl->context == EGL_NO_CONTEXT) {
        return nullptr;
    }
    std::shared_ptr<OffscreenTarget> target(new OffscreenTarget(width, height, std::move(egl)));
    RegisterGlSurface(target->Window(), target);
    return target;
}

OffscreenTarget::OffscreenTarget(UINT width, UINT height, std::unique_ptr<Egl> egl)
    : width_(width), height_(height), egl_(std::move(egl)) {}

OffscreenTarget::~OffscreenTarget() {
    UnregisterGlSurface(Window());
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
