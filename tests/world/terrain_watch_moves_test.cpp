// Sector folders moved out of and into the terrain folder, as a file manager or the game's own
// cleanup moves them: gone from the world when moved out, back when moved in.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/temporary_prefix.h"
#include "terrain/grid_constants.h"
#include "world/terrain_watch.h"

namespace {

namespace fs = std::filesystem;
using testing::ElementsAre;
using testing::IsEmpty;
using world::TerrainChange;
using world::TerrainWatch;

std::vector<std::string> Described(const std::vector<TerrainChange>& changes) {
    std::vector<std::string> described;
    for (const TerrainChange& change : changes) {
        described.push_back((change.kind == TerrainChange::Kind::Written   ? "written "
                             : change.kind == TerrainChange::Kind::Removed ? "removed "
                                                                           : "gone ") +
                            change.sector);
    }
    return described;
}

TEST(TerrainWatchMovesTest, ASectorFolderMovedOutVanishesAndMovedBackReturns) {
    TemporaryDirectory world;
    const fs::path terrain = world.path() / "terrain";
    const std::string whole(HeightmapHeaderSize + HeightmapSampleBytes, '\0');
    WriteFile(terrain / "0_0" / "heightmap_0_0.zdt", whole);
    WriteFile(terrain / "2_3" / "heightmap_2_3.zdt", whole);
    TerrainWatch watch(terrain);
    ASSERT_TRUE(watch.Active());
    const TerrainWatch::Clock::time_point now = TerrainWatch::Clock::now();

    fs::rename(terrain / "2_3", world.path() / "2_3 kept");
    EXPECT_THAT(Described(watch.Poll(now)), ElementsAre("removed 2_3"));
    // What happens to it out there is nothing of the world's.
    WriteFile(world.path() / "2_3 kept" / "heightmap_2_3.zdt", whole);
    EXPECT_THAT(Described(watch.Poll(now)), IsEmpty());

    fs::rename(world.path() / "2_3 kept", terrain / "2_3");
    EXPECT_THAT(Described(watch.Poll(now)), ElementsAre("written 2_3"));
    // Watched again where it is now.
    WriteFile(terrain / "2_3" / "heightmap_2_3.zdt", whole);
    EXPECT_THAT(Described(watch.Poll(now)), ElementsAre("written 2_3"));
}

}  // namespace
