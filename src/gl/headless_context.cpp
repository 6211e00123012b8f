#include "gl/headless_context.h"

#include <stdexcept>

namespace gl {

HeadlessContext::HeadlessContext() : context_(0) {
    if (!epoxy_has_egl_extension(context_.display(), "EGL_KHR_surfaceless_context")) {
        throw std::runtime_error("EGL cannot make a context current without a surface");
    }
    if (!context_.MakeCurrent()) {
        throw std::runtime_error("EGL cannot make the headless OpenGL context current");
    }
}

}  // namespace gl
