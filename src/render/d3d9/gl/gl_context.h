#pragma once
// The GL context a device draws with, reached through its surface. Every GL object of a device
// holds this link, so the context outlives them, and makes it current before touching GL.

#include <memory>

#include "render/d3d9/gl/gl_surface.h"

namespace velmora::d3d9::gl {

class GlContext {
public:
    explicit GlContext(std::shared_ptr<GlSurface> surface);
    ~GlContext();
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    // Makes the context current unless this link did so last on this thread; false when the
    // surface cannot (its window is gone), in which case no GL call may follow.
    bool EnsureCurrent();

    // Counts the times this link really made its context current. GL state set by a device
    // may have been changed by others in between, so a device re-applies its state whenever
    // the count moved since it last applied it.
    unsigned generation() const { return generation_; }

    GlSurface& surface() const { return *surface_; }

private:
    std::shared_ptr<GlSurface> surface_;
    unsigned generation_ = 0;
};

}  // namespace velmora::d3d9::gl
