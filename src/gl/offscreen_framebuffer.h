#pragma once
// A framebuffer object to draw a picture into without a window: RGBA8 colour and 32-bit float
// depth (precise enough for reversed Z, where depth 1 is near and 0 far).
//
//     gl::HeadlessContext context;
//     gl::OffscreenFramebuffer target(640, 480);
//     glBindFramebuffer(GL_FRAMEBUFFER, target.name());  glViewport(0, 0, 640, 480);
//     ... draw ...
//     std::vector<std::uint8_t> rgba = target.ReadPixels();

#include <cstdint>
#include <vector>

#include <epoxy/gl.h>

#include "gl/object.h"
#include "gl/read_back.h"

namespace gl {

class OffscreenFramebuffer {
public:
    // Needs a current 4.5 core context, current again when the framebuffer is destroyed.
    // `origin` is the glClipControl origin the picture will be drawn with. Throws
    // std::runtime_error when GL cannot make it complete (an empty or too large size).
    OffscreenFramebuffer(GLsizei width, GLsizei height, ClipOrigin origin = ClipOrigin::LowerLeft);

    // The framebuffer object to bind for drawing.
    GLuint name() const { return framebuffer_.name(); }
    GLsizei width() const { return width_; }
    GLsizei height() const { return height_; }

    // The colour as RGBA8: width * 4 bytes a row, top of the picture first.
    std::vector<std::uint8_t> ReadPixels() const;

private:
    GLsizei width_;
    GLsizei height_;
    ClipOrigin origin_;
    Renderbuffer colour_;
    Renderbuffer depth_;
    Framebuffer framebuffer_;
};

}  // namespace gl
