#include "render/d3d9/gl/gl_context.h"

#include <utility>

namespace velmora::d3d9::gl {

namespace {

// The link whose context was made current last on this thread. Making the same context current
// again on every call would cost a driver round trip per draw.
thread_local const GlContext* currentLink = nullptr;

}  // namespace

GlContext::GlContext(std::shared_ptr<GlSurface> surface) : surface_(std::move(surface)) {}

GlContext::~GlContext() {
    if (currentLink == this) {
        currentLink = nullptr;
    }
}

bool GlContext::EnsureCurrent() {
    if (currentLink == this) {
        return true;
    }
    if (!surface_->MakeCurrent()) {
        currentLink = nullptr;
        return false;
    }
    currentLink = this;
    ++generation_;
    return true;
}

}  // namespace velmora::d3d9::gl
