#include "world/render/ground_image.h"

#include <fstream>
#include <stdexcept>
#include <system_error>

#include "image/image_file.h"

namespace world::render {

namespace {

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& file) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error) {
        throw std::runtime_error("cannot be read: " + error.message());
    }
    // No file of a picture the device takes is larger; this one is refused before it is read.
    if (size > image::MaxImageFileBytes) {
        throw std::runtime_error("too large a file for a texture");
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    std::ifstream in(file, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
        throw std::runtime_error("cannot be read");
    }
    return bytes;
}

}  // namespace

GroundImage ReadGroundImage(const std::filesystem::path& file) {
    image::TextureImage decoded;
    switch (image::DecodeTextureImage(ReadFile(file), decoded)) {
        case image::ImageStatus::Ok:
            break;
        case image::ImageStatus::Unrecognised:
            throw std::runtime_error(
                "not a picture the viewer reads (PNG, JPEG, BMP, TGA, DDS, PPM, PGM or HDR)");
        case image::ImageStatus::Corrupt:
            throw std::runtime_error("a damaged picture, or larger than a texture may be");
        case image::ImageStatus::Unreadable:
            throw std::runtime_error("cannot be read");
    }
    // The top level, as the viewer's texture holds it: D3DCOLOR texels, 0xAARRGGBB.
    const image::TextureLevel& top = decoded.levels.front();
    GroundImage picture{top.width, top.height, {}};
    picture.rgba.reserve(top.texels.size() * 4);
    for (const std::uint32_t texel : top.texels) {
        picture.rgba.push_back(static_cast<std::uint8_t>(texel >> 16));
        picture.rgba.push_back(static_cast<std::uint8_t>(texel >> 8));
        picture.rgba.push_back(static_cast<std::uint8_t>(texel));
        picture.rgba.push_back(static_cast<std::uint8_t>(texel >> 24));
    }
    return picture;
}

}  // namespace world::render
