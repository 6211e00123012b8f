#include "world/render/headless_canvas.h"

#include <stdexcept>
#include <string>

namespace world::render {

HeadlessCanvas::HeadlessCanvas(int width, int height, std::size_t bufferBytes)
    : width_(width), height_(height) {
    try {
        context_ = std::make_unique<gl::HeadlessContext>();
    } catch (const std::runtime_error& error) {
        throw std::runtime_error(std::string("no OpenGL 4.5 context can be made (EGL): ") +
                                 error.what());
    }
    framebuffer_ =
        std::make_unique<gl::OffscreenFramebuffer>(width, height, gl::ClipOrigin::UpperLeft);
    renderer_ = std::make_unique<WorldRenderer>(bufferBytes);
}

void HeadlessCanvas::Draw(const FrameSelection& frame, const Camera& camera,
                          const ShadingRange& range) {
    renderer_->Draw(frame, camera, range, framebuffer_->name(), width_, height_);
}

std::vector<std::uint8_t> HeadlessCanvas::Pixels() const {
    return framebuffer_->ReadPixels();
}

}  // namespace world::render
