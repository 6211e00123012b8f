#pragma once
// The GL context a device draws with, reached through its surface. Every GL object of a device
// holds this link, so the context outlives them, and makes it current before touching GL.

#include <memory>

#include "app/platform/win32/gl_surface.h"

namespace velmora::d3d9::gl {

class GlContext {
public:
    explicit GlContext(std::shared_ptr<win32::GlSurface> surface);
    ~GlContext();
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    // Makes the context current; false when the surface cannot (its window is gone), in which
    // case no GL call may follow.
    bool EnsureCurrent();

    // Counts the times another link (another device on the same window, say) had been current
    // before this one was made current again. GL state set by a device may have been changed
    // in between, so a device re-applies its state whenever the count moved.
    unsigned generation() const { return generation_; }

    win32::GlSurface& surface() const { return *surface_; }

private:
    std::shared_ptr<win32::GlSurface> surface_;
    unsigned generation_ = 0;
};

}  // namespace velmora::d3d9::gl
