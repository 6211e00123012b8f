#pragma once
// Image files as the texture loader sees them: the format recognised from the content (never
// the name), decoded into a TextureImage (texture_image.h).

#include <cstdint>
#include <span>

#include "render/d3d9/texture_image.h"

enum class ImageFormat { Unknown, Png, Jpeg, Bmp, Tga, Ppm, Hdr, Dds };

// Recognises the format from the file's leading bytes; TGA, which has no signature, only when
// its header fields are all plausible and the file is long enough for what they announce.
ImageFormat DetectImageFormat(std::span<const std::uint8_t> file);

// Decodes a whole image file held in memory.
ImageStatus DecodeTextureImage(std::span<const std::uint8_t> file, TextureImage& image);

// Reads the file at a Windows path (relative paths against the current directory) and decodes
// it.
ImageStatus LoadTextureImage(const char* windowsPath, TextureImage& image);
