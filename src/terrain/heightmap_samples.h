#pragma once
// The caller's block of height samples for one load: 127 x 127 unsigned 16-bit values in file
// order, row by row; sample (row r, column c) is element 127 * r + c.

#include <array>
#include <cstdint>

#include "terrain/grid_constants.h"

using HeightmapSamples = std::array<std::uint16_t, GridSampleCount>;
static_assert(sizeof(HeightmapSamples) == HeightmapSampleBytes);

constexpr std::size_t SampleIndex(int row, int column) {
    return static_cast<std::size_t>(row) * GridSide + static_cast<std::size_t>(column);
}
