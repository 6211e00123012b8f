// The catalogue read headless: the viewer's lists, worlds named as a user names them, and what
// it says when a name or the game is not there.

#include "headless_catalogue/catalogue_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "headless_catalogue/catalogue_error.h"
#include "headless_catalogue/catalogue_fixture.h"
#include "headless_catalogue/sector_sources.h"

namespace {

namespace fs = std::filesystem;
using headless_catalogue::CatalogueError;
using headless_catalogue::CatalogueSession;
using testing::ElementsAre;

// The error `call` throws; fails the test when it throws none.
template <typename Call>
CatalogueError ErrorOf(Call call) {
    try {
        call();
    } catch (const CatalogueError& error) {
        return error;
    }
    ADD_FAILURE() << "no CatalogueError";
    return CatalogueError(CatalogueError::Reason::Other, "");
}

class CatalogueSessionTest : public CatalogueFixture {};

TEST_F(CatalogueSessionTest, ListsWorldsAndSectorsInTheViewersOrder) {
    CatalogueSession session;
    EXPECT_THAT(session.Worlds(), ElementsAre("East", "West"));
    EXPECT_EQ(session.FirstWorld(), "East");
    EXPECT_THAT(session.FirstWorldSectors(), ElementsAre("0_0", "0_1", "1_0", "1_1"));
    EXPECT_THAT(session.Sectors("West"), ElementsAre("0_0", "1_0", "2_0"));

    // One scan gives the same sectors in the same order, with the paths the viewer forms.
    std::vector<std::string> names;
    for (const CatalogueSession::SectorFile& file : session.SectorFiles("West")) {
        names.push_back(file.name);
        EXPECT_EQ(file.heightmapPath, session.HeightmapPath("West", file.name));
    }
    EXPECT_EQ(names, session.Sectors("West"));
    EXPECT_EQ(session.HeightmapPath("East", "1_0"),
              "C:\\Games\\Quarlend\\world_cache\\Eastquarlend\\terrain\\1_0\\heightmap_1_0.zdt");
    EXPECT_EQ(session.TerrainPath("West"),
              "C:\\Games\\Quarlend\\world_cache\\Westquarlend\\terrain");
}

TEST_F(CatalogueSessionTest, ResolvesAWorldByItsNameOrFolderInAnyCase) {
    fs::create_directories(Terrain("eastquarlend"));
    CatalogueSession session;
    struct Case {
        std::string requested;
        std::string world;  // empty: an unknown name, with this message
        std::string message;
    };
    const Case cases[] = {
        {"East", "East", ""},
        {"Eastquarlend", "East", ""},
        {"eastquarlend", "east", ""},  // an exact match wins
        {"west", "West", ""},
        {"WESTQUARLEND", "West", ""},
        {"EAST", "", "more than one world matches \"EAST\"; East, east"},
        {"North", "", "no world named \"North\"; the worlds are: East, east, West"},
        {"", "", "no world named \"\"; the worlds are: East, east, West"},
    };
    for (const Case& c : cases) {
        if (!c.world.empty()) {
            EXPECT_EQ(session.ResolveWorld(c.requested), c.world) << c.requested;
            continue;
        }
        const CatalogueError error = ErrorOf([&] { session.ResolveWorld(c.requested); });
        EXPECT_EQ(error.reason, CatalogueError::Reason::UnknownName) << c.requested;
        EXPECT_EQ(std::string(error.what()), c.message);
    }
}

TEST_F(CatalogueSessionTest, APrefixWithoutTheGameSaysWhereItLooked) {
    fs::remove(prefix_ / "system.reg");
    const CatalogueError error = ErrorOf([] { CatalogueSession session; });
    EXPECT_EQ(error.reason, CatalogueError::Reason::Other);
    EXPECT_THAT(error.what(), testing::StartsWith("the game's install was not found"));
    EXPECT_THAT(error.what(), testing::HasSubstr("WINEPREFIX=" + prefix_.string()));
}

TEST_F(CatalogueSessionTest, SectorSourcesAreTheFilesAtTheirHostPathsStampedWhenFound) {
    // A sector folder without its heightmap is listed too; its file is looked up in full.
    fs::create_directories(Terrain("Westquarlend") / "3_0");
    CatalogueSession session;
    const std::vector<CatalogueSession::SectorFile> files = session.SectorFiles("West");
    const std::vector<world::SectorSource> sources = headless_catalogue::SectorSourcesOf(files);
    ASSERT_EQ(sources.size(), 4u);
    for (std::size_t s = 0; s < sources.size(); ++s) {
        EXPECT_EQ(sources[s].name, files[s].name);
        EXPECT_EQ(fs::path(sources[s].hostPath),
                  headless_catalogue::HostPathOf(files[s].heightmapPath));
        EXPECT_EQ(fs::weakly_canonical(sources[s].hostPath),
                  fs::weakly_canonical(Heightmap("Westquarlend", files[s].name)));
        if (files[s].name == "3_0") {
            EXPECT_FALSE(sources[s].listed.has_value());
        } else {
            ASSERT_TRUE(sources[s].listed.has_value()) << files[s].name;
            EXPECT_EQ(sources[s].listed->size, fs::file_size(sources[s].hostPath));
        }
    }
}

}  // namespace
