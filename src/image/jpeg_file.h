#pragma once
// JPEG files through libjpeg-turbo (its TurboJPEG interface), after a walk over the file's
// segments that refuses what must not reach the decoder.

#include <cstdint>
#include <span>

#include "image/texture_image.h"

namespace image {

// True when the file starts with a start-of-image marker followed by another marker.
bool IsJpegFile(std::span<const std::uint8_t> file);

// Decodes a baseline or progressive Huffman-coded JPEG to one picture and its mip chain.
// Refused before any texel memory is allocated: a file cut short (no end-of-image marker), a
// frame beyond what a device accepts, a scan that uses a Huffman table never defined, no scan,
// and scan data too short to cover the frame. Any warning while decoding (premature end of
// data, corrupt data) refuses the file instead of padding the picture.
ImageStatus DecodeJpegFile(std::span<const std::uint8_t> file, TextureImage& image);

}  // namespace image
