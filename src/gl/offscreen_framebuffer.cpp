#include "gl/offscreen_framebuffer.h"

#include <stdexcept>
#include <string>

namespace gl {

OffscreenFramebuffer::OffscreenFramebuffer(GLsizei width, GLsizei height, ClipOrigin origin)
    : width_(width), height_(height), origin_(origin) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    if (width <= 0 || height <= 0 || width > largest || height > largest) {
        throw std::runtime_error("an offscreen framebuffer of " + std::to_string(width) + " x " +
                                 std::to_string(height) + " pixels is not possible here (at most " +
                                 std::to_string(largest) + " a side)");
    }
    colour_ = Renderbuffer::Create();
    glNamedRenderbufferStorage(colour_.name(), GL_RGBA8, width, height);
    depth_ = Renderbuffer::Create();
    glNamedRenderbufferStorage(depth_.name(), GL_DEPTH_COMPONENT32F, width, height);
    framebuffer_ = Framebuffer::Create();
    glNamedFramebufferRenderbuffer(framebuffer_.name(), GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                   colour_.name());
    glNamedFramebufferRenderbuffer(framebuffer_.name(), GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                   depth_.name());
    if (glCheckNamedFramebufferStatus(framebuffer_.name(), GL_FRAMEBUFFER) !=
        GL_FRAMEBUFFER_COMPLETE) {
        throw std::runtime_error("GL cannot complete an RGBA8 framebuffer with float depth");
    }
}

std::vector<std::uint8_t> OffscreenFramebuffer::ReadPixels() const {
    return ReadRgba8(framebuffer_.name(), width_, height_, origin_);
}

}  // namespace gl
