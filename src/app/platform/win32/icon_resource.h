#pragma once
// Icons as data: each icon resource holds images of several sizes in 16 colours with a
// transparency mask, like the images of an .ico file, and may hold larger ones as PNG.

#include <array>
#include <cstdint>
#include <vector>

#include "app/platform/win32/win_types.h"

namespace win32 {

struct IconImage {
    int width = 0;
    int height = 0;
    std::array<std::uint32_t, 16> palette{};  // 0x00RRGGBB
    // One palette index per pixel, rows top to bottom; width * height entries.
    std::vector<BYTE> colorIndices;
    // One entry per pixel, true where the icon is transparent; width * height entries.
    std::vector<bool> transparent;

    bool IsWellFormed() const;
    // The pixel's colour, 0x00RRGGBB (x, y inside the image).
    std::uint32_t ColorAt(int x, int y) const;
    bool IsTransparentAt(int x, int y) const;
};

struct IconResource {
    std::vector<IconImage> images;
    // Larger sizes as PNG files, the way icon files keep their 256-pixel images. Window systems
    // that show icons at any size (task bars, docks) offer them beside `images`.
    std::vector<std::vector<std::uint8_t>> pngImages{};

    // The image of exactly width x height, else the largest one; null when there are none.
    const IconImage* ImageFor(int width, int height) const;
    // Every image well formed, and every PNG image at least starts as one.
    bool IsWellFormed() const;
};

}  // namespace win32
