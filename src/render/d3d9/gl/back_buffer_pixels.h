#pragma once
// A device's back buffer read back into memory, as tests and the command line compare and save it.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/d3d9/d3d9.h"

namespace velmora::d3d9::gl {

struct BackBufferPixels {
    UINT width = 0;
    UINT height = 0;
    std::vector<std::uint8_t> rgba;  // width * 4 bytes a row, top row first; alpha 255

    // The pixel at column x, row y as 0xAARRGGBB (a D3DCOLOR).
    D3DCOLOR At(UINT x, UINT y) const {
        const std::size_t at = (std::size_t{y} * width + x) * 4;
        return D3DCOLOR_ARGB(rgba[at + 3], rgba[at], rgba[at + 1], rgba[at + 2]);
    }
};

}  // namespace velmora::d3d9::gl
