#pragma once
// The ground texture's picture, decoded as the viewer's texture loader decodes it (any format it
// reads, recognised by content, scaled to power-of-two sides) into RGBA bytes, top row first.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace world::render {

struct GroundImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rgba;
};

// Throws std::runtime_error saying why when the file cannot be read, is of no format the viewer
// reads, is damaged or larger than the viewer's device takes.
GroundImage ReadGroundImage(const std::filesystem::path& file);

}  // namespace world::render
