// The world's one shading range, over every readable sector, unreadable ones told to the caller
// and marked so that the picture does not read them again.

#include "map/world_range.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "map/map_layout.h"
#include "support/temporary_prefix.h"
#include "world/world_files.h"

namespace {

using world_test::WriteSector;

TEST(WorldRangeTest, LowIsTheLeastSampleOfAtLeast101AndHighTheGreatestOverEverySector) {
    TemporaryDirectory folder;
    std::vector<world::SectorSource> sources;
    // Water (100 and less) never sets the low end; each sector holds one extreme.
    for (int a = 0; a < 5; ++a) {
        sources.push_back(WriteSector(folder.path(), std::to_string(a) + "_0", [a](int r, int c) {
            if (a == 1 && r == 3 && c == 4) {
                return std::uint16_t{140};
            }
            if (a == 3 && r == 100 && c == 2) {
                return std::uint16_t{9000};
            }
            return static_cast<std::uint16_t>(r == c ? 50 : 2000 + a);
        }));
    }
    sources.push_back({"5_0", folder.path() / "5_0" / "missing.zdt"});
    map::MapLayout layout = map::LayOutMap(std::move(sources));

    std::mutex mutex;
    std::vector<std::string> told;
    std::vector<std::size_t> counts;
    const ShadingRange range = map::FindWorldRange(
        layout,
        [&](std::size_t sector, const std::string&) {
            const std::lock_guard lock(mutex);
            told.push_back(layout.sectors[sector].source.name);
        },
        [&counts](std::size_t read) { counts.push_back(read); });
    const ShadingRange expected(140, 9000);
    EXPECT_EQ(range.Low(), expected.Low());
    EXPECT_EQ(range.Range(), expected.Range());
    EXPECT_EQ(told, std::vector<std::string>{"5_0"});
    for (std::size_t s = 0; s < layout.sectors.size(); ++s) {
        EXPECT_EQ(layout.unreadable[s] != 0, layout.sectors[s].source.name == "5_0");
    }
    // The caller's thread reads the first half and tells how many of all are read.
    ASSERT_EQ(counts.size(), 3u);
    for (std::size_t count : counts) {
        EXPECT_GE(count, 1u);
        EXPECT_LE(count, 6u);
    }
}

}  // namespace
