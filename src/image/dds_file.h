#pragma once
// DirectDraw Surface files: DXT1, DXT3 and DXT5 blocks decoded in software, and uncompressed 24-
// and 32-bit RGB(A) with channel masks; the file's own mip levels are kept.

#include <cstdint>
#include <span>

#include "image/texture_image.h"

namespace image {

// True when the file starts with the "DDS " signature.
bool IsDdsFile(std::span<const std::uint8_t> file);

// Decodes a DDS file. Every size the header announces is checked against the file's length
// before any texel memory is allocated.
ImageStatus DecodeDdsFile(std::span<const std::uint8_t> file, TextureImage& image);

}  // namespace image
