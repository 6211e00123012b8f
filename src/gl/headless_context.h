#pragma once
// An OpenGL 4.5 core context with no window or display server (EGL surfaceless, Mesa). It has
// no default framebuffer: draw into framebuffer objects such as OffscreenFramebuffer.

#include "gl/egl_context.h"

namespace gl {

class HeadlessContext {
public:
    // Creates the context and makes it current on this thread; throws std::runtime_error
    // saying what is missing when EGL cannot give one.
    HeadlessContext();
    HeadlessContext(const HeadlessContext&) = delete;
    HeadlessContext& operator=(const HeadlessContext&) = delete;

    // Makes the context current on this thread again; false when EGL refuses.
    bool MakeCurrent() const { return context_.MakeCurrent(); }

private:
    EglContext context_;
};

}  // namespace gl
