// Where sectors are placed by their names, and which names are set aside.

#include "world/world_layout.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testing::UnorderedElementsAre;

std::vector<world::SectorSource> Named(const std::vector<std::string>& names) {
    std::vector<world::SectorSource> sources;
    for (const std::string& name : names) {
        sources.push_back({name, "/terrain/" + name});
    }
    return sources;
}

TEST(WorldLayoutTest, NamesWithAnEmptyOrForeignPartAreSetAsideTheRestPlacedInBThenAOrder) {
    const world::WorldLayout layout = world::LayOutWorld(
        Named({"_5", "5_", "_", "", "5", "x_1", "1_x", "-1_2", "1_-2", "+1_2", "1_2_3", "123456_1",
               "1_123456", " 1_2", "1_2 ", "3_0", "01_2", "99999_0", "2_7"}));
    EXPECT_THAT(layout.unplaced,
                UnorderedElementsAre("_5", "5_", "_", "", "5", "x_1", "1_x", "-1_2", "1_-2", "+1_2",
                                     "1_2_3", "123456_1", "1_123456", " 1_2", "1_2 "));
    std::vector<std::string> order;
    for (const world::PlacedSector& sector : layout.sectors) {
        order.push_back(sector.source.name + "@" + std::to_string(sector.place.a) + "," +
                        std::to_string(sector.place.b));
        EXPECT_EQ(sector.source.hostPath, "/terrain/" + sector.source.name);
    }
    EXPECT_THAT(order, testing::ElementsAre("3_0@3,0", "99999_0@99999,0", "01_2@1,2", "2_7@2,7"));
    EXPECT_EQ(layout.firstA, 1);
    EXPECT_EQ(layout.firstB, 0);
    EXPECT_EQ(layout.columnsA, 99999);
    EXPECT_EQ(layout.rowsB, 8);
}

}  // namespace
