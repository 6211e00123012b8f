// A world laid out for the map: sectors placed as the world library places them, none unreadable
// at first, and whether every place of the box holds one.

#include "map/map_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<world::SectorSource> Named(const std::vector<std::string>& names) {
    std::vector<world::SectorSource> sources;
    for (const std::string& name : names) {
        sources.push_back({name, "/terrain/" + name});
    }
    return sources;
}

TEST(MapLayoutTest, SectorsArePlacedAsTheWorldPlacesThemAndNoneIsUnreadableAtFirst) {
    const map::MapLayout layout = map::LayOutMap(Named({"1_0", "x", "0_0", "0_1"}));
    const world::WorldLayout placed = world::LayOutWorld(Named({"1_0", "x", "0_0", "0_1"}));
    ASSERT_EQ(layout.sectors.size(), placed.sectors.size());
    for (std::size_t s = 0; s < layout.sectors.size(); ++s) {
        EXPECT_EQ(layout.sectors[s].source.name, placed.sectors[s].source.name);
    }
    EXPECT_EQ(layout.unplaced, placed.unplaced);
    EXPECT_EQ(layout.columnsA, 2);
    EXPECT_EQ(layout.rowsB, 2);
    EXPECT_EQ(layout.unreadable, std::vector<char>(3, 0));
    EXPECT_FALSE(map::AnyUnreadable(layout));
}

TEST(MapLayoutTest, EveryPlaceFilledOnlyWhenNoPlaceOfTheBoxIsEmpty) {
    EXPECT_TRUE(map::EveryPlaceFilled(map::LayOutMap(Named({"0_0", "1_0", "0_1", "1_1"}))));
    EXPECT_FALSE(map::EveryPlaceFilled(map::LayOutMap(Named({"0_0", "1_0", "0_1"}))));
    // Two names of one place fill it once.
    EXPECT_FALSE(map::EveryPlaceFilled(map::LayOutMap(Named({"0_0", "00_0", "1_1"}))));
    EXPECT_TRUE(map::EveryPlaceFilled(map::LayOutMap(Named({"0_0", "00_0"}))));
}

TEST(MapLayoutTest, AnyUnreadableOnceOneIsMarked) {
    map::MapLayout layout = map::LayOutMap(Named({"0_0", "1_0"}));
    layout.unreadable[1] = 1;
    EXPECT_TRUE(map::AnyUnreadable(layout));
}

}  // namespace
