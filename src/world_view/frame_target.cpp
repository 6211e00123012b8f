#include "world_view/frame_target.h"

#include <algorithm>
#include <cmath>

namespace world_view {

FrameTarget::FrameTarget() {
    GLint renderbuffer = 0;
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    largest_ = std::max(1, std::min({renderbuffer, viewport[0], viewport[1]}));
}

void FrameTarget::Resize(int width, int height) {
    windowWidth_ = width;
    windowHeight_ = height;
    // Scaled as a whole, so that the picture keeps the window's aspect.
    const double scale = std::min(
        {1.0, static_cast<double>(largest_) / width, static_cast<double>(largest_) / height});
    const int drawnWidth = std::max(1, static_cast<int>(std::floor(width * scale)));
    const int drawnHeight = std::max(1, static_cast<int>(std::floor(height * scale)));
    if (target_ && target_->width() == drawnWidth && target_->height() == drawnHeight) {
        return;
    }
    target_.reset();
    target_ = std::make_unique<gl::OffscreenFramebuffer>(drawnWidth, drawnHeight,
                                                         gl::ClipOrigin::UpperLeft);
}

void FrameTarget::Present(int width, int height) {
    // Mesa takes a window's new size for its framebuffer when the viewport is set (a blit alone
    // would land in the framebuffer of the size before, as it does when a window manager makes
    // the window full screen).
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
    // The picture's row 0 is its top; the window's is its bottom.
    const bool stretched = target_->width() != width || target_->height() != height;
    glBlitNamedFramebuffer(target_->name(), 0, 0, 0, target_->width(), target_->height(), 0, height,
                           width, 0, GL_COLOR_BUFFER_BIT, stretched ? GL_LINEAR : GL_NEAREST);
}

void FrameTarget::Draw(const world::FrameSelection& frame, const world::Camera& camera,
                       const ShadingRange& range, int width, int height) {
    Resize(width, height);
    renderer_.Draw(frame, camera, range, target_->name(), target_->width(), target_->height());
    Present(width, height);
}

void FrameTarget::Prepare(int width, int height) {
    Resize(width, height);
    renderer_.Prepare(target_->name(), target_->width(), target_->height());
}

void FrameTarget::DrawEmpty(int width, int height) {
    Resize(width, height);
    const GLfloat blue[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    const GLfloat farthest = 0.0f;
    glClearNamedFramebufferfv(target_->name(), GL_COLOR, 0, blue);
    glClearNamedFramebufferfv(target_->name(), GL_DEPTH, 0, &farthest);
    Present(width, height);
}

std::optional<float> FrameTarget::DepthAt(int x, int y) const {
    if (!target_ || x < 0 || y < 0 || x >= windowWidth_ || y >= windowHeight_) {
        return std::nullopt;
    }
    const int px = x * target_->width() / windowWidth_;
    const int py = y * target_->height() / windowHeight_;
    GLfloat depth = 0.0f;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target_->name());
    glReadPixels(px, py, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    return depth;
}

}  // namespace world_view
