#include "render/d3d9/gl/pbuffer_window_target.h"

#include <algorithm>
#include <stdexcept>

#include "gl/egl_context.h"
#include "gl/read_back.h"

namespace velmora::d3d9::gl {

struct PbufferWindowTarget::Egl {
    ::gl::EglContext context{EGL_PBUFFER_BIT};
    EGLSurface surface = EGL_NO_SURFACE;

    ~Egl() {
        if (surface != EGL_NO_SURFACE) {
            if (eglGetCurrentSurface(EGL_DRAW) == surface) {
                eglMakeCurrent(context.display(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
            }
            eglDestroySurface(context.display(), surface);
        }
    }
};

std::shared_ptr<PbufferWindowTarget> PbufferWindowTarget::Create(UINT width, UINT height) {
    if (width == 0 || height == 0) {
        return nullptr;
    }
    std::unique_ptr<Egl> egl;
    try {
        egl = std::make_unique<Egl>();
    } catch (const std::runtime_error&) {
        return nullptr;
    }
    const EGLint attributes[] = {EGL_WIDTH, static_cast<EGLint>(width), EGL_HEIGHT,
                                 static_cast<EGLint>(height), EGL_NONE};
    egl->surface =
        eglCreatePbufferSurface(egl->context.display(), egl->context.config(), attributes);
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
    if (!MakeCurrent()) {
        return {};
    }
    // The client area is the lower-left part of the pbuffer (GL's origin), as a resized
    // window's framebuffer would be; the window shows its last row at the top.
    return ::gl::ReadRgba8(0, static_cast<GLsizei>(clientWidth_),
                           static_cast<GLsizei>(clientHeight_), ::gl::ClipOrigin::LowerLeft);
}

bool PbufferWindowTarget::MakeCurrent() {
    return egl_->context.MakeCurrent(egl_->surface);
}

SIZE PbufferWindowTarget::ClientSizeInPixels() const {
    return SIZE{static_cast<LONG>(clientWidth_), static_cast<LONG>(clientHeight_)};
}

bool PbufferWindowTarget::SetSwapInterval(int interval) {
    swapInterval_ = interval;
    return false;  // a pbuffer has no retrace to wait for
}

}  // namespace velmora::d3d9::gl
