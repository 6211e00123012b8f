#pragma once
// Reading a framebuffer's picture back into memory as RGBA8 rows, top of the picture first.

#include <cstdint>
#include <vector>

#include <epoxy/gl.h>

namespace gl {

// Where the picture was drawn with its top, clip-space y = +1 (glClipControl's origin): GL's
// default LowerLeft puts it on the framebuffer's last row, UpperLeft on row 0.
enum class ClipOrigin { LowerLeft, UpperLeft };

// The width x height pixels at the framebuffer's origin: colour attachment 0 of a framebuffer
// object, or the read buffer of the default framebuffer (0). Width * 4 bytes a row, R, G, B, A,
// top row first. Needs its context current and no pixel pack buffer bound.
std::vector<std::uint8_t> ReadRgba8(GLuint framebuffer, GLsizei width, GLsizei height,
                                    ClipOrigin origin);

}  // namespace gl
