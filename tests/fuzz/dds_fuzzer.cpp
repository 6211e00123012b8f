// DDS files: a refusal or levels that each halve the one before, within the device's limits.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "render/d3d9/dds_file.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TextureImage image;
    if (DecodeDdsFile(std::span<const std::uint8_t>(data, size), image) != ImageStatus::Ok) {
        Require(image.levels.empty());
        return 0;
    }
    Require(!image.levels.empty());
    Require(TextureSizeAcceptable(image.levels.front().width, image.levels.front().height));
    for (std::size_t i = 0; i < image.levels.size(); ++i) {
        const TextureLevel& level = image.levels[i];
        Require(level.texels.size() == std::size_t{level.width} * level.height);
        if (i > 0) {
            const TextureLevel& above = image.levels[i - 1];
            Require(level.width == (above.width > 1 ? above.width / 2 : 1));
            Require(level.height == (above.height > 1 ? above.height / 2 : 1));
        }
    }
    return 0;
}
