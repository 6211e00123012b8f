#pragma once
// Where the window's frames are drawn: the world renderer wants a 32-bit float depth buffer
// (its depth is reversed and infinite), which a GLX window's own framebuffer does not offer
// (24-bit fixed point at best), so each frame is drawn into an offscreen framebuffer of the
// window's size and copied into the window's framebuffer. The depth stays there for picking
// the ground under the pointer.

#include <memory>
#include <optional>

#include <epoxy/gl.h>

#include "gl/offscreen_framebuffer.h"
#include "world/render/world_renderer.h"

namespace world_view {

class FrameTarget {
public:
    // Needs the window's OpenGL 4.5 core context current, now, whenever it is used and when it
    // is destroyed. Throws std::runtime_error when the renderer cannot be made.
    FrameTarget();

    world::render::WorldRenderer& Renderer() { return renderer_; }

    // Draws the frame for a window of width x height pixels and copies it into the window's
    // back buffer. Larger than the driver's framebuffers go, it is drawn smaller and stretched.
    void Draw(const world::FrameSelection& frame, const world::Camera& camera,
              const ShadingRange& range, int width, int height);
    // Has the renderer draw a little at this size, so that the first frame of a world is not
    // the one that waits for the driver to build its shaders.
    void Prepare(int width, int height);
    // The clear colour alone.
    void DrawEmpty(int width, int height);

    // The depth of the last frame at window pixel (x, y) from the top left; nothing outside it.
    std::optional<float> DepthAt(int x, int y) const;
    // The size the last frame was drawn at (the picture's, before stretching).
    int Width() const { return target_ ? target_->width() : 0; }
    int Height() const { return target_ ? target_->height() : 0; }

private:
    void Resize(int width, int height);
    void Present(int width, int height);

    GLint largest_ = 0;
    int windowWidth_ = 0;
    int windowHeight_ = 0;
    std::unique_ptr<gl::OffscreenFramebuffer> target_;
    world::render::WorldRenderer renderer_;
};

}  // namespace world_view
