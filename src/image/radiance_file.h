#pragma once
// Radiance RGBE (.hdr) files, decoded here: the run-length structure is walked to its end
// before any texel memory is allocated, so a header without its pixels is refused, never padded.

#include <cstdint>
#include <span>

#include "image/texture_image.h"

namespace image {

// True when the file starts with a Radiance signature line.
bool IsRadianceFile(std::span<const std::uint8_t> file);

// Decodes a "-Y height +X width" RGBE file, flat or with new-style run-length scanlines, tone
// mapped to 8 bits (gamma 1/2.2, 1.0 is white) as an opaque picture with its mip chain.
ImageStatus DecodeRadianceFile(std::span<const std::uint8_t> file, TextureImage& image);

}  // namespace image
