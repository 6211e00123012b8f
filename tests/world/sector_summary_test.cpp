// What a sector's levels of detail leave out, measured against shapes whose answer is known.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "world/sector_summary.h"

namespace {

using world::LevelSteps;
using world::SummariseSector;

HeightmapSamples Fill(const std::function<std::uint16_t(int, int)>& sample) {
    HeightmapSamples samples{};
    for (int r = 0; r < GridSide; ++r) {
        for (int c = 0; c < GridSide; ++c) {
            samples[SampleIndex(r, c)] = sample(r, c);
        }
    }
    return samples;
}

TEST(SectorSummaryTest, LevelErrorsAreWhatEachLevelLeavesOut) {
    // A sloping plane is drawn exactly by every level.
    const auto plane = SummariseSector(
        Fill([](int r, int c) { return static_cast<std::uint16_t>(1000 + 3 * r + 5 * c); }));
    for (const float error : plane.levelErrors) {
        EXPECT_EQ(error, 0.0f);
    }
    // A spike of 400 at (6, 12): steps 18 and 9 miss it; 6, 3 and 2 hold it but draw a slope
    // from it to their next points, one step away, where the ground is flat.
    const auto spike = SummariseSector(
        Fill([](int r, int c) -> std::uint16_t { return r == 6 && c == 12 ? 1400 : 1000; }));
    const std::array<double, LevelSteps.size()> expected{400,           400, 400 * 5.0 / 6,
                                                         400 * 2.0 / 3, 200, 0};
    for (std::size_t level = 0; level < LevelSteps.size(); ++level) {
        EXPECT_NEAR(spike.levelErrors[level], expected[level], 1e-3) << LevelSteps[level];
    }
    EXPECT_EQ(spike.least, 1000);
    EXPECT_EQ(spike.greatest, 1400);
    EXPECT_EQ(spike.rangeLow, 1000);
    // A ridge along the cells' diagonals: the viewer's cut keeps it (up to the samples'
    // rounding); the other cut would lose 100 samples of it.
    const auto ridge = SummariseSector(Fill([](int r, int c) -> std::uint16_t {
        return r == c ? 1200 : (std::abs(r - c) <= 18 ? 1200 - 200 * std::abs(r - c) / 18 : 1000);
    }));
    EXPECT_LE(ridge.levelErrors[0], 1.0f);
    // The coarse level keeps every 18th sample; water below 101 does not set the range.
    const auto coarse = SummariseSector(Fill([](int r, int c) -> std::uint16_t {
        return r == 0 && c == 0 ? 50 : static_cast<std::uint16_t>(r * 127 + c);
    }));
    EXPECT_EQ(coarse.coarse[1 * world::CoarseSide + 2], 18 * 127 + 36);
    EXPECT_EQ(coarse.coarse[0], 50);
    EXPECT_EQ(coarse.rangeLow, 101);
    EXPECT_EQ(coarse.least, 1);
}

}  // namespace
