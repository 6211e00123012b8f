#pragma once
// An OpenGL 4.5 core context on the EGL surfaceless display, with the config it was made for.

#include <memory>

#include <epoxy/egl.h>

#include "gl/surfaceless_display.h"

namespace gl {

class EglContext {
public:
    // `surfaceType` is what the config must offer: 0 for no surface, EGL_PBUFFER_BIT for
    // pbuffers. Throws std::runtime_error when EGL cannot make such a context.
    explicit EglContext(EGLint surfaceType);
    // Releases the context from this thread if it is current here, then destroys it.
    ~EglContext();
    EglContext(const EglContext&) = delete;
    EglContext& operator=(const EglContext&) = delete;

    // Makes the context current on this thread, drawing to and reading from `surface`
    // (EGL_NO_SURFACE: framebuffer objects only); false when EGL refuses.
    bool MakeCurrent(EGLSurface surface = EGL_NO_SURFACE) const;

    EGLDisplay display() const { return display_->handle(); }
    EGLConfig config() const { return config_; }

private:
    std::shared_ptr<const SurfacelessDisplay> display_;
    EGLConfig config_ = nullptr;
    EGLContext context_ = EGL_NO_CONTEXT;
};

}  // namespace gl
