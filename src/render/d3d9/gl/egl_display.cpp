#include "render/d3d9/gl/egl_display.h"

namespace velmora::d3d9::gl {

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

EglContextAndConfig CreateCoreContext(EGLDisplay display, EGLint surfaceType) {
    EglContextAndConfig made;
    if (display == EGL_NO_DISPLAY || !eglBindAPI(EGL_OPENGL_API)) {
        return made;
    }
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                       surfaceType,
                                       EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT,
                                       EGL_RED_SIZE,
                                       8,
                                       EGL_GREEN_SIZE,
                                       8,
                                       EGL_BLUE_SIZE,
                                       8,
                                       EGL_NONE};
    EGLint found = 0;
    if (!eglChooseConfig(display, configAttributes, &made.config, 1, &found) || found != 1) {
        return made;
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                        4,
                                        EGL_CONTEXT_MINOR_VERSION,
                                        5,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                        EGL_NONE};
    made.context = eglCreateContext(display, made.config, EGL_NO_CONTEXT, contextAttributes);
    return made;
}

}  // namespace velmora::d3d9::gl
