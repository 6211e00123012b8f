#pragma once
// PNG files through libspng, a decoder written for untrusted input and fuzzed upstream.

#include <cstdint>
#include <span>

#include "image/texture_image.h"

namespace image {

// True when the file starts with the PNG signature.
bool IsPngFile(std::span<const std::uint8_t> file);

// Decodes a PNG file to one picture and its mip chain. Sizes beyond what a device accepts, and
// image data too short to expand to the announced size, are refused before any texel memory is
// allocated.
ImageStatus DecodePngFile(std::span<const std::uint8_t> file, TextureImage& image);

}  // namespace image
