#include "app/platform/icon_resource.h"

#include <cstddef>

bool IconImage::IsWellFormed() const {
    if (width <= 0 || height <= 0) {
        return false;
    }
    const auto pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (colorIndices.size() != pixels || transparent.size() != pixels) {
        return false;
    }
    for (BYTE index : colorIndices) {
        if (index >= palette.size()) {
            return false;
        }
    }
    return true;
}

std::uint32_t IconImage::ColorAt(int x, int y) const {
    const auto pixel =
        static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
    return palette[colorIndices[pixel]];
}

bool IconImage::IsTransparentAt(int x, int y) const {
    return transparent[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                       static_cast<std::size_t>(x)];
}

const IconImage* IconResource::ImageFor(int width, int height) const {
    const IconImage* largest = nullptr;
    for (const IconImage& image : images) {
        if (image.width == width && image.height == height) {
            return &image;
        }
        if (largest == nullptr || image.width * image.height > largest->width * largest->height) {
            largest = &image;
        }
    }
    return largest;
}
