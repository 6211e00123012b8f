#include "render/d3d9/gl/pbuffer_window_target.h"

#include <algorithm>

#include <epoxy/gl.h>

#include "render/d3d9/gl/egl_display.h"

namespace velmora::d3d9::gl {

struct PbufferWindowTarget::Egl {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE;

    ~Egl() {
        if (eglGetCurrentContext() == context) {
            eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        }
        if (surface != EGL_NO_SURFACE) {
            eglDestroySurface(display, surface);
        }
        if (context != EGL_NO_CONTEXT) {
            eglDestroyContext(display, context);
        }
    }
};

std::shared_ptr<PbufferWindowTarget> PbufferWindowTarget::Create(UINT width, UINT height) {
    auto egl = std::make_unique<Egl>();
    egl->display = SurfacelessDisplay();
    if (width == 0 || height == 0) {
        return nullptr;
    }
    const EglContextAndConfig made = CreateCoreContext(egl->display, EGL_PBUFFER_BIT);
    egl->context = made.context;
    if (egl->context == EGL_NO_CONTEXT) {
        return nullptr;
    }
    const EGLint attributes[] = {EGL_WIDTH, static_cast<EGLint>(width), EGL_HEIGHT,
                                 static_cast<EGLint>(height), EGL_NONE};
    egl->surface = eglCreatePbufferSurface(egl->display, made.config, attributes);
    if (egl->surface == EGL_NO_SURFACE) {
        return nullptr;
    }
    std::shared_ptr<PbufferWindowTarget> target(
        new PbufferWindowTarget(width, height, std::move(egl)));
    win32::RegisterGlSurface(target->Window(), target);
    return target;
}

PbufferWindowTarget::PbufferWindowTarget(UINT width, UINT height, std::unique_ptr<Egl> egl)
    : width_(width),
      height_(height),
      clientWidth_(width),
      clientHeight_(height),
      egl_(std::move(egl)) {}

PbufferWindowTarget::~PbufferWindowTarget() {
    win32::UnregisterGlSurface(Window());
}

HWND PbufferWindowTarget::Window() const {
    return reinterpret_cast<HWND>(const_cast<PbufferWindowTarget*>(this));
}

void PbufferWindowTarget::SetClientSize(UINT width, UINT height) {
    clientWidth_ = std::min(width, width_);
    clientHeight_ = std::min(height, height_);
}

std::vector<std::uint8_t> PbufferWindowTarget::ReadClientPixels() {
    std::vector<std::uint8_t> pixels(std::size_t{clientWidth_} * clientHeight_ * 4);
    if (!MakeCurrent()) {
        return {};
    }
    GLint previous = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    // The client area is the lower-left part of the pbuffer (GL's origin), as a resized
    // window's framebuffer would be; its row 0 is the bottom.
    const auto rowBytes = std::size_t{clientWidth_} * 4;
    for (UINT row = 0; row < clientHeight_; ++row) {
        glReadPixels(0, static_cast<GLint>(clientHeight_ - 1 - row),
                     static_cast<GLsizei>(clientWidth_), 1, GL_RGBA, GL_UNSIGNED_BYTE,
                     pixels.data() + row * rowBytes);
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
    return pixels;
}

bool PbufferWindowTarget::MakeCurrent() {
    return eglMakeCurrent(egl_->display, egl_->surface, egl_->surface, egl_->context) == EGL_TRUE;
}

SIZE PbufferWindowTarget::ClientSizeInPixels() const {
    return SIZE{static_cast<LONG>(clientWidth_), static_cast<LONG>(clientHeight_)};
}

bool PbufferWindowTarget::SetSwapInterval(int interval) {
    swapInterval_ = interval;
    return false;  // a pbuffer has no retrace to wait for
}

}  // namespace velmora::d3d9::gl
