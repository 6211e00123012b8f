#pragma once
// What the first pass keeps of each sector: its coarsest level (every 18th sample), how far each
// level of detail strays from the full samples, and its share of the world's range and height.
//
// A sector's levels keep every s-th sample for s in LevelSteps: 126 = 2 * 3^2 * 7 quads a side,
// so the steps are the divisors of 126 from 18 down to 1 (7 to 126 cells a side).

#include <array>
#include <cstdint>

#include "terrain/heightmap_samples.h"

namespace world {

inline constexpr std::array<int, 6> LevelSteps = {18, 9, 6, 3, 2, 1};
inline constexpr int CoarseStep = LevelSteps[0];
inline constexpr int CoarseSide = (GridSide - 1) / CoarseStep + 1;  // 8

struct SectorSummary {
    // Sample (18 i, 18 j) at coarse[i * CoarseSide + j].
    std::array<std::uint16_t, CoarseSide * CoarseSide> coarse{};
    // The greatest vertical distance, in samples, between the full samples and the surface
    // each level draws (0 for the last, the samples themselves).
    std::array<float, LevelSteps.size()> levelErrors{};
    std::uint16_t rangeLow = 65535;  // least sample of at least 101 (65535: none)
    std::uint16_t greatest = 0;
    std::uint16_t least = 0;

    bool operator==(const SectorSummary&) const = default;
};

SectorSummary SummariseSector(const HeightmapSamples& samples);

// The height, in samples, of the surface that grid points `step` samples apart draw at sample
// (r, c), cut along each cell's (i, j)-(i + 1, j + 1) diagonal as the viewer cuts its cells.
// `at(i, j)` gives grid point (i, j).
template <typename GridPoint>
double LevelSurface(const GridPoint& at, int step, int r, int c) {
    const int i = r / step == (GridSide - 1) / step ? r / step - 1 : r / step;
    const int j = c / step == (GridSide - 1) / step ? c / step - 1 : c / step;
    const double s = static_cast<double>(r - i * step) / step;
    const double t = static_cast<double>(c - j * step) / step;
    const double h00 = at(i, j);
    const double h11 = at(i + 1, j + 1);
    if (s >= t) {
        const double h10 = at(i + 1, j);
        return h00 + s * (h10 - h00) + t * (h11 - h10);
    }
    const double h01 = at(i, j + 1);
    return h00 + t * (h01 - h00) + s * (h11 - h01);
}

}  // namespace world
