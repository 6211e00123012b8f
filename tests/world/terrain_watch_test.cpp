// The world window's plain parts on real folders: which worlds and sectors it lists and in what
// order, and what the terrain watch reports as the game writes, half-writes and removes heightmaps.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/temporary_prefix.h"
#include "terrain/grid_constants.h"
#include "world/game_worlds.h"
#include "world/summary_file.h"
#include "world/terrain_watch.h"

namespace {

namespace fs = std::filesystem;
using testing::ElementsAre;
using testing::IsEmpty;
using world::TerrainChange;
using world::TerrainWatch;

constexpr std::size_t WholeBytes = HeightmapHeaderSize + HeightmapSampleBytes;

std::vector<std::string> Described(const std::vector<TerrainChange>& changes) {
    std::vector<std::string> described;
    for (const TerrainChange& change : changes) {
        const char* kind = change.kind == TerrainChange::Kind::Written   ? "written "
                           : change.kind == TerrainChange::Kind::Removed ? "removed "
                                                                         : "gone";
        described.push_back(kind + change.sector);
    }
    return described;
}

TEST(GameWorldsTest, ListsWorldFoldersByTheViewersNamesAndOrder) {
    TemporaryDirectory cache;
    for (const char* name : {"quarlend", "10quarlend", "9quarlend", "AquarlendBquarlend",
                             "EastQUARLEND", "West.2quarlend", "Northquarlend", "Elsewhere"}) {
        fs::create_directories(cache.path() / name);
    }
    WriteFile(cache.path() / "Filequarlend", "a file is no world");
    EXPECT_THAT(world::ListWorlds(cache.path()),
                ElementsAre("", "9", "10", "AB", "EastQUARLEND", "North", "West"));
    EXPECT_THAT(world::ListWorlds(cache.path() / "missing"), IsEmpty());
}

// One look at each heightmap, stamped for the first pass: the game's spelling or any other case,
// in the viewer's order of names; a sector without a regular heightmap is listed unstamped, for
// the first pass to name it.
TEST(GameWorldsTest, ListsSectorsWithTheirHeightmapsStamped) {
    TemporaryDirectory world;
    const fs::path terrain = world.path() / "terrain";
    WriteFile(terrain / "10_0" / "heightmap_10_0.zdt", "ten");
    WriteFile(terrain / "9_0" / "HEIGHTMAP_9_0.ZDT", "nine!");
    fs::create_directories(terrain / "1_0" / "heightmap_1_0.zdt");  // a folder of that name
    fs::create_directories(terrain / "2_0");                        // no heightmap yet
    WriteFile(terrain / "notes" / "heightmap_notes.zdt", "no sector");
    const std::vector<world::SectorSource> sources = world::ListSectors(terrain);
    ASSERT_EQ(sources.size(), 4u);
    EXPECT_EQ(sources[0].name, "1_0");
    EXPECT_EQ(sources[1].name, "2_0");
    EXPECT_EQ(sources[1].hostPath, (terrain / "2_0" / "heightmap_2_0.zdt").string());
    EXPECT_EQ(sources[2].name, "9_0");
    EXPECT_EQ(sources[2].hostPath, (terrain / "9_0" / "HEIGHTMAP_9_0.ZDT").string());
    EXPECT_EQ(sources[3].name, "10_0");
    EXPECT_EQ(sources[3].hostPath, (terrain / "10_0" / "heightmap_10_0.zdt").string());
    for (const world::SectorSource& source : sources) {
        EXPECT_EQ(source.listed, world::StampOfFile(AT_FDCWD, source.hostPath.c_str()))
            << source.name;
    }
    EXPECT_FALSE(sources[0].listed.has_value());
    EXPECT_FALSE(sources[1].listed.has_value());
    ASSERT_TRUE(sources[2].listed.has_value());
    EXPECT_EQ(sources[2].listed->size, 5u);
}

class TerrainWatchTest : public testing::Test {
protected:
    TerrainWatchTest() { fs::create_directories(terrain / "0_0"); }

    TemporaryDirectory world;
    fs::path terrain = world.path() / "terrain";
    TerrainWatch::Clock::time_point start = TerrainWatch::Clock::now();
};

TEST_F(TerrainWatchTest, AHalfWrittenHeightmapWaitsUntilWholeOrUntilTheWatchGivesUp) {
    TerrainWatch watch(terrain);
    ASSERT_TRUE(watch.Active());
    WriteFile(terrain / "0_0" / "heightmap_0_0.zdt", std::string(WholeBytes / 2, '\0'));
    EXPECT_THAT(Described(watch.Poll(start)), IsEmpty()) << "half a heightmap";
    EXPECT_THAT(Described(watch.Poll(start + TerrainWatch::RetryInterval)), IsEmpty());
    WriteFile(terrain / "0_0" / "heightmap_0_0.zdt", std::string(WholeBytes, '\0'));
    EXPECT_THAT(Described(watch.Poll(start + 2 * TerrainWatch::RetryInterval)),
                ElementsAre("written 0_0"));

    // A sector folder made while watching, whose file stays short: taken as it is in the end.
    WriteFile(terrain / "1_0" / "HEIGHTMAP_1_0.ZDT", "short");
    EXPECT_THAT(Described(watch.Poll(start)), IsEmpty());
    EXPECT_THAT(Described(watch.Poll(start + TerrainWatch::GiveUpAfter)),
                ElementsAre("written 1_0"));
}

TEST_F(TerrainWatchTest, RemovalsOfHeightmapsFoldersAndTheWorldAreReported) {
    WriteFile(terrain / "0_0" / "heightmap_0_0.zdt", std::string(WholeBytes, '\0'));
    WriteFile(terrain / "2_3" / "heightmap_2_3.zdt", std::string(WholeBytes, '\0'));
    TerrainWatch watch(terrain);
    fs::remove(terrain / "0_0" / "heightmap_0_0.zdt");
    fs::remove_all(terrain / "2_3");
    WriteFile(terrain / "0_0" / "notes.txt", "not a heightmap");
    EXPECT_THAT(Described(watch.Poll(start)), ElementsAre("removed 2_3", "removed 0_0"));

    fs::rename(terrain, world.path() / "elsewhere");
    EXPECT_THAT(Described(watch.Poll(start)), ElementsAre("gone"));
}

// Sector folders moved out of and into the terrain folder, as a file manager or the game's own
// cleanup moves them: gone from the world when moved out, back when moved in.
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
