#pragma once
// The ground texture's picture, decoded from a PNG (libspng) or JPEG (libjpeg-turbo) file into
// RGBA bytes, top row first.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace world::render {

struct GroundImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rgba;
};

// Pictures larger than this on a side are refused before any pixel is decoded: no GL driver
// takes them as one texture.
inline constexpr std::uint32_t MaxGroundImageSide = 16384;

// Throws std::runtime_error saying why when the file cannot be read, is neither PNG nor JPEG,
// is damaged or too large.
GroundImage ReadGroundImage(const std::filesystem::path& file);

}  // namespace world::render
