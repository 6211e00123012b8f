#pragma once
// Icons as data: each icon resource holds images of several sizes in 16 colours with a
// transparency mask, like the images of an .ico file.

#include <array>
#include <cstdint>
#include <vector>

#include "app/platform/win_types.h"

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

    // The image of exactly width x height, else the largest one; null when there are none.
    const IconImage* ImageFor(int width, int height) const;
};
