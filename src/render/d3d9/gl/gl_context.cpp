#include "render/d3d9/gl/gl_context.h"

#include <utility>

namespace velmora::d3d9::gl {

namespace {

// The link whose context was made current last on this thread.
thread_local const GlContext* currentLink = nullptr;

}  // namespace

GlContext::GlContext(std::shared_ptr<win32::GlSurface> surface) : surface_(std::move(surface)) {}

GlContext::~GlContext() {
    if (currentLink == this) {
        currentLink = nullptr;
    }
}

bool GlContext::EnsureCurrent() {
    // Asked of the surface every time, never taken from a cache: its context may have been
    // destroyed with its window since the last call, and a GL call without a current context
    // would crash. Making the current context current again costs the drivers next to nothing.
    if (!surface_->MakeCurrent()) {
        currentLink = nullptr;
        return false;
    }
    if (currentLink != this) {
        currentLink = this;
        ++generation_;
    }
    return true;
}

}  // namespace velmora::d3d9::gl
