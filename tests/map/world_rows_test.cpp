// A world read as rows of world samples: each sector's samples at its place, unreadable sectors
// told to the caller once and left empty, how far the reading is, and a box too large refused.

#include "map/world_rows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "map/map_error.h"
#include "map/map_layout.h"
#include "support/temporary_prefix.h"
#include "world/world_files.h"

namespace {

using world_test::Rolling;
using world_test::WriteSector;

// Sectors 0_0, 1_0 and 1_1 of rolling ground, and 0_1 named but missing.
struct ThreeOfFour {
    TemporaryDirectory folder;
    map::MapLayout layout;
    std::size_t missing = 0;

    ThreeOfFour() {
        std::vector<world::SectorSource> sources{
            WriteSector(folder.path(), "0_0", Rolling(0, 0)),
            WriteSector(folder.path(), "1_0", Rolling(1, 0)),
            WriteSector(folder.path(), "1_1", Rolling(1, 1)),
            {"0_1", folder.path() / "0_1" / "heightmap_0_1.zdt"}};
        layout = map::LayOutMap(std::move(sources));
        for (std::size_t s = 0; s < layout.sectors.size(); ++s) {
            if (layout.sectors[s].source.name == "0_1") {
                missing = s;
            }
        }
    }
};

TEST(WorldRowsTest, EverySampleLiesAtItsWorldPlaceAndAnUnreadableSectorIsToldOnceAndLeftEmpty) {
    ThreeOfFour world;
    std::vector<std::pair<std::size_t, std::string>> told;
    map::WorldRows rows(world.layout, [&told](std::size_t sector, const std::string& reason) {
        told.emplace_back(sector, reason);
    });
    ASSERT_EQ(rows.Width(), 2u * 126 + 1);
    ASSERT_EQ(rows.Height(), 2u * 126 + 1);
    std::vector<std::uint16_t> heights(rows.Width());
    std::vector<std::uint8_t> present(rows.Width());
    for (std::uint32_t y = 0; y < rows.Height(); ++y) {
        rows.Row(y, heights.data(), present.data());
        for (std::uint32_t x = 0; x < rows.Width(); ++x) {
            const int a = x < 126 ? 0 : 1;
            const int b = y < 126 ? 0 : 1;
            // Only 0_1's own samples are missing: its edges with 0_0 and 1_1 are theirs too.
            const bool inMissing = x < 126 && y > 126;
            ASSERT_EQ(present[x] != 0, !inMissing) << x << ", " << y;
            // Rolling ground agrees across sectors, so either holder of a shared edge will do.
            if (!inMissing) {
                ASSERT_EQ(heights[x], Rolling(a, b)(static_cast<int>(x) - 126 * a,
                                                    static_cast<int>(y) - 126 * b))
                    << x << ", " << y;
            }
        }
    }
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].first, world.missing);
    EXPECT_FALSE(told[0].second.empty());
    EXPECT_NE(world.layout.unreadable[world.missing], 0);
    EXPECT_EQ(rows.SectorsRead(), 4u);
}

TEST(WorldRowsTest, ProgressCountsTheSectorsReadUpToAll) {
    ThreeOfFour world;
    std::vector<std::size_t> counts;
    map::WorldRows rows(
        world.layout, [](std::size_t, const std::string&) {},
        [&counts](std::size_t read) { counts.push_back(read); });
    std::vector<std::uint16_t> heights(rows.Width());
    std::vector<std::uint8_t> present(rows.Width());
    for (std::uint32_t y = 0; y < rows.Height(); ++y) {
        rows.Row(y, heights.data(), present.data());
    }
    ASSERT_FALSE(counts.empty());
    for (std::size_t k = 1; k < counts.size(); ++k) {
        EXPECT_LE(counts[k - 1], counts[k]);
    }
    EXPECT_EQ(counts.back(), 4u);
}

TEST(WorldRowsTest, AnUnreadableSectorWhoseReportThrowsEndsTheReading) {
    ThreeOfFour world;
    struct Stop {
        std::size_t sector;
    };
    map::WorldRows rows(world.layout,
                        [](std::size_t sector, const std::string&) { throw Stop{sector}; });
    std::vector<std::uint16_t> heights(rows.Width());
    std::vector<std::uint8_t> present(rows.Width());
    try {
        for (std::uint32_t y = 0; y < rows.Height(); ++y) {
            rows.Row(y, heights.data(), present.data());
        }
        FAIL() << "the report's exception was lost";
    } catch (const Stop& stop) {
        EXPECT_EQ(stop.sector, world.missing);
    }
    EXPECT_EQ(world.layout.unreadable[world.missing], 0);
}

TEST(WorldRowsTest, PlacesSpanningMoreThanTheMostSamplesASideAreRefused) {
    TemporaryDirectory folder;
    map::MapLayout layout =
        map::LayOutMap({{"0_0", folder.path() / "a"}, {"521_0", folder.path() / "b"}});
    try {
        map::WorldRows rows(layout, [](std::size_t, const std::string&) {});
        FAIL() << "a box of 522 sectors a side was taken";
    } catch (const map::MapError& failure) {
        EXPECT_STREQ(failure.what(),
                     "the sectors' places span more than 65536 samples a side; too large to draw");
    }
    // 520 sectors a side are drawn.
    layout = map::LayOutMap({{"0_0", folder.path() / "a"}, {"0_519", folder.path() / "b"}});
    const map::WorldRows rows(layout, [](std::size_t, const std::string&) {});
    EXPECT_EQ(rows.Height(), 520u * 126 + 1);
}

}  // namespace
