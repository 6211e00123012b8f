#pragma once
// What every texture decoder owes its caller, whatever the bytes: a refusal with no levels, or a
// chain of levels that each halve the one before, within the size a Direct3D 9 device accepts.

#include <cstddef>

#include "fuzz_support.h"
#include "image/image_file.h"

namespace fuzz {

inline void RequireRefusedOrWellFormed(image::ImageStatus status,
                                       const image::TextureImage& image) {
    if (status != image::ImageStatus::Ok) {
        Require(image.levels.empty());
        return;
    }
    Require(!image.levels.empty());
    Require(image::TextureSizeAcceptable(image.levels.front().width, image.levels.front().height));
    for (std::size_t i = 0; i < image.levels.size(); ++i) {
        const image::TextureLevel& level = image.levels[i];
        Require(level.texels.size() == std::size_t{level.width} * level.height);
        if (i > 0) {
            const image::TextureLevel& above = image.levels[i - 1];
            Require(level.width == (above.width > 1 ? above.width / 2 : 1));
            Require(level.height == (above.height > 1 ? above.height / 2 : 1));
        }
    }
}

}  // namespace fuzz
