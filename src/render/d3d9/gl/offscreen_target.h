#pragma once
// A headless present target: an EGL surfaceless OpenGL 4.5 core context (Mesa), no display or
// window needed. It registers itself under Window() so that CreateDevice with that handle as
// hDeviceWindow makes a device whose back buffer has the target's size. Present keeps the
// picture in the back buffer, where ReadBackBuffer (gl_backend.h) reads it.

#include <memory>

#include "app/platform/win32/gl_surface.h"
#include "gl/headless_context.h"

namespace velmora::d3d9::gl {

class OffscreenTarget final : public win32::GlSurface {
public:
    // Null when EGL cannot give a surfaceless 4.5 core context.
    static std::shared_ptr<OffscreenTarget> Create(UINT width, UINT height);

    ~OffscreenTarget() override;
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

    // The handle to pass as hDeviceWindow; valid while the target lives.
    HWND Window() const;

    bool MakeCurrent() override;
    SIZE ClientSizeInPixels() const override;
    void SwapBuffers() override {}
    bool SetSwapInterval(int) override { return false; }
    bool HasWindowFramebuffer() const override { return false; }

private:
    OffscreenTarget(UINT width, UINT height, std::unique_ptr<::gl::HeadlessContext> context);

    UINT width_;
    UINT height_;
    std::unique_ptr<::gl::HeadlessContext> context_;
};

}  // namespace velmora::d3d9::gl
