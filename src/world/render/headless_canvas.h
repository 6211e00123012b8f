#pragma once
// A headless picture of the world: an EGL surfaceless OpenGL 4.5 context, an offscreen
// framebuffer of the picture's size and the world renderer drawing into it.

#include <cstddef>
#include <cstdint>
#include <future>
#include <memory>
#include <vector>

#include "gl/headless_context.h"
#include "gl/offscreen_framebuffer.h"
#include "gl/surfaceless_display.h"
#include "world/render/world_renderer.h"

namespace world::render {

// Starts the GL driver on a thread of its own while the world is read, so that a canvas made
// later finds its display ready. A driver that fails to start here fails again, with its message,
// when the canvas is made.
class CanvasWarmUp {
public:
    CanvasWarmUp() : display_(std::async(std::launch::async, gl::SurfacelessDisplay::Acquire)) {}

private:
    // Holds the display until the canvas holds it too.
    std::future<std::shared_ptr<const gl::SurfacelessDisplay>> display_;
};

class HeadlessCanvas {
public:
    // Throws std::runtime_error, saying so, when no OpenGL 4.5 core context can be made.
    HeadlessCanvas(int width, int height, std::size_t bufferBytes);

    // The ground texture (default: none, grey terrain).
    void SetGroundTexture(const GroundImage& image) { renderer_->SetGroundTexture(image); }

    // How the ground is shaded (default: by height, as the viewer shades it).
    void SetShading(Shading shading) { renderer_->SetShading(shading); }

    void Draw(const FrameSelection& frame, const Camera& camera, const ShadingRange& range);

    // The picture, RGBA, top row first; waits for the GPU.
    std::vector<std::uint8_t> Pixels() const;

    const FrameStats& Stats() const { return renderer_->LastFrame(); }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_;
    int height_;
    // Destroyed in reverse: the renderer and the framebuffer while their context lives.
    std::unique_ptr<gl::HeadlessContext> context_;
    std::unique_ptr<gl::OffscreenFramebuffer> framebuffer_;
    std::unique_ptr<WorldRenderer> renderer_;
};

}  // namespace world::render
