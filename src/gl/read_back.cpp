#include "gl/read_back.h"

#include <algorithm>
#include <cstddef>

namespace gl {

std::vector<std::uint8_t> ReadRgba8(GLuint framebuffer, GLsizei width, GLsizei height,
                                    ClipOrigin origin) {
    const auto rowBytes = static_cast<std::size_t>(std::max(width, 0)) * 4;
    const auto rows = static_cast<std::size_t>(std::max(height, 0));
    std::vector<std::uint8_t> pixels(rowBytes * rows);
    if (pixels.empty()) {
        return pixels;
    }
    GLint previous = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
    if (framebuffer != 0) {
        glNamedFramebufferReadBuffer(framebuffer, GL_COLOR_ATTACHMENT0);
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadnPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                  static_cast<GLsizei>(pixels.size()), pixels.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
    // GL hands rows out from the framebuffer's row 0 up.
    if (origin == ClipOrigin::LowerLeft) {
        for (std::size_t top = 0, bottom = rows - 1; top < bottom; ++top, --bottom) {
            std::swap_ranges(pixels.begin() + static_cast<std::ptrdiff_t>(top * rowBytes),
                             pixels.begin() + static_cast<std::ptrdiff_t>((top + 1) * rowBytes),
                             pixels.begin() + static_cast<std::ptrdiff_t>(bottom * rowBytes));
        }
    }
    return pixels;
}

}  // namespace gl
