#include "gl/egl_context.h"

#include <stdexcept>

namespace gl {

EglContext::EglContext(EGLint surfaceType) : display_(SurfacelessDisplay::Acquire()) {
    if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
        throw std::runtime_error("EGL offers no desktop OpenGL");
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
    if (eglChooseConfig(display(), configAttributes, &config_, 1, &found) != EGL_TRUE ||
        found != 1) {
        throw std::runtime_error("EGL has no 8-bit RGB OpenGL config for the surface asked");
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                        4,
                                        EGL_CONTEXT_MINOR_VERSION,
                                        5,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                        EGL_NONE};
    context_ = eglCreateContext(display(), config_, EGL_NO_CONTEXT, contextAttributes);
    if (context_ == EGL_NO_CONTEXT) {
        throw std::runtime_error("EGL cannot create an OpenGL 4.5 core context");
    }
}

EglContext::~EglContext() {
    if (eglGetCurrentContext() == context_) {
        eglMakeCurrent(display(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    eglDestroyContext(display(), context_);
}

bool EglContext::MakeCurrent(EGLSurface surface) const {
    return eglMakeCurrent(display(), surface, surface, context_) == EGL_TRUE;
}

}  // namespace gl
