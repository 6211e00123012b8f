#include "app/platform/win32/icon_resource.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace win32 {

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

bool IconResource::IsWellFormed() const {
    constexpr std::array<std::uint8_t, 8> PngSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto isPng = [&](const std::vector<std::uint8_t>& file) {
        return file.size() > PngSignature.size() &&
               std::equal(PngSignature.begin(), PngSignature.end(), file.begin());
    };
    return std::all_of(images.begin(), images.end(),
                       [](const IconImage& image) { return image.IsWellFormed(); }) &&
           std::all_of(pngImages.begin(), pngImages.end(), isPng);
}

}  // namespace win32
