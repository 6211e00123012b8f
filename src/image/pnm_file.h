#pragma once
// Binary PPM (P6) and PGM (P5) files, decoded here: 8-bit samples scaled by the file's maximum
// value (16-bit files are refused). Every header number is bounded while it is read, and the
// samples must all be in the file before any texel memory is allocated.

#include <cstdint>
#include <span>

#include "image/texture_image.h"

namespace image {

// True when the file starts with "P6" or "P5" and a whitespace.
bool IsPnmFile(std::span<const std::uint8_t> file);

ImageStatus DecodePnmFile(std::span<const std::uint8_t> file, TextureImage& image);

}  // namespace image
