#pragma once
// Image files as the texture loader sees them: the format recognised from the content (never
// the name), decoded into a TextureImage (texture_image.h).

#include <cstdint>
#include <span>

#include "image/texture_image.h"

namespace image {

enum class ImageFormat { Unknown, Png, Jpeg, Bmp, Tga, Ppm, Hdr, Dds };

// Recognises the format from the file's leading bytes; TGA, which has no signature, only when
// its header fields are all plausible and the file is long enough for what they announce.
ImageFormat DetectImageFormat(std::span<const std::uint8_t> file);

// Decodes a whole image file held in memory.
ImageStatus DecodeTextureImage(std::span<const std::uint8_t> file, TextureImage& image);

}  // namespace image
