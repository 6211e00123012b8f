// The site session on a catalogue of its own: worlds that go between the catalogue's listing and
// their reading, unreadable sectors said once a session however often the site is written, and
// a folder that another holds refused in one line that names the holder.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/temporary_prefix.h"
#include "web/site_lock.h"
#include "web/site_session.h"
#include "world/world_files.h"

namespace {

namespace fs = std::filesystem;

// Lists `listed`; reads the worlds of `present`, as they are when read.
class FakeCatalogue : public web::WorldCatalogue {
public:
    std::vector<std::string> Worlds() override { return listed; }
    std::string Resolve(const std::string& requested) override {
        for (const std::string& world : listed) {
            if (requested == world || requested == world + "quarlend") {
                return world;
            }
        }
        throw web::UnknownWorld("no world named \"" + requested + "\"");
    }
    std::optional<web::WorldSectors> Read(const std::string& world) override {
        const auto found = present.find(world);
        if (found == present.end()) {
            return std::nullopt;
        }
        return found->second;
    }

    std::vector<std::string> listed;
    std::map<std::string, web::WorldSectors> present;
};

class SiteSessionTest : public testing::Test {
protected:
    SiteSessionTest() {
        WriteFile(page / "index.html", "<!DOCTYPE html><title>page</title>\n");
        WriteFile(leaflet / "leaflet.js", "var L = {};\n");
        WriteFile(leaflet / "leaflet.css", "\n");
        WriteFile(folder.path() / "copyright", "licence\n");
    }

    fs::path Terrain(const std::string& world) const {
        return folder.path() / (world + "quarlend") / "terrain";
    }

    // Lists `world` and writes its sector A_B, or a file of it that holds no samples.
    void Sector(const std::string& world, int a, int b, bool readable = true) {
        if (std::find(catalogue.listed.begin(), catalogue.listed.end(), world) ==
            catalogue.listed.end()) {
            catalogue.listed.push_back(world);
        }
        const std::string name = std::to_string(a) + "_" + std::to_string(b);
        web::WorldSectors& sectors = catalogue.present[world];
        sectors.terrain = Terrain(world);
        sectors.sources.push_back(world_test::WriteSector(
            sectors.terrain, name, [](int r, int c) { return static_cast<std::uint16_t>(r + c); }));
        if (!readable) {
            WriteFile(sectors.sources.back().hostPath, "broken");
        }
    }

    std::unique_ptr<web::SiteSession> Session(const std::vector<std::string>& named, bool all) {
        web::SessionReports reports;
        reports.say = [this](const std::string& line) { said.push_back(line); };
        reports.progress = [](std::size_t done, std::size_t total) { EXPECT_LE(done, total); };
        reports.progressEnded = [this] { ++ended; };
        return std::make_unique<web::SiteSession>(
            catalogue, named, all,
            [this] {
                ++optionsAsked;
                web::SiteOptions options;
                options.pageFiles = page;
                options.leaflet = leaflet;
                options.leafletLicence = folder.path() / "copyright";
                return options;
            },
            std::move(reports));
    }

    web::SiteReport Write(web::SiteSession& session) {
        return session.Write(session.Lock(site, "a test"));
    }

    TemporaryDirectory folder;
    fs::path page = folder.path() / "page";
    fs::path leaflet = folder.path() / "leaflet";
    fs::path site = folder.path() / "site";
    FakeCatalogue catalogue;
    std::vector<std::string> said;
    int ended = 0;
    int optionsAsked = 0;
};

TEST_F(SiteSessionTest, AWorldGoneSinceListedLeavesASiteOfEveryWorldAndStaysEmptyWhenNamed) {
    Sector("East", 0, 0);
    Sector("West", 0, 0);
    catalogue.present.erase("West");
    const struct {
        std::vector<std::string> named;
        bool all;
        std::vector<std::string> worlds;
    } cases[] = {
        {{}, true, {"East"}},
        {{"East", "Westquarlend", "West"}, false, {"East", "West"}},
    };
    for (const auto& each : cases) {
        fs::remove_all(site);
        const auto session = Session(each.named, each.all);
        EXPECT_EQ(Write(*session).worlds, each.worlds.size()) << each.all;
        EXPECT_EQ(session->Worlds(), each.worlds) << each.all;
        EXPECT_EQ(session->Terrains(), std::vector<fs::path>{Terrain("East")}) << each.all;
    }
}

TEST_F(SiteSessionTest, WorldsMoveForEveryWorldOnlyAndUntilTheNextWrite) {
    Sector("East", 0, 0);
    const auto every = Session({}, true);
    const auto named = Session({"East"}, false);
    Write(*every);
    EXPECT_FALSE(every->WorldsMoved());
    Sector("North", 0, 0);
    EXPECT_TRUE(every->WorldsMoved());
    EXPECT_FALSE(named->WorldsMoved());
    Write(*every);
    EXPECT_FALSE(every->WorldsMoved());
    EXPECT_EQ(every->Worlds(), (std::vector<std::string>{"East", "North"}));
    catalogue.listed.pop_back();
    EXPECT_TRUE(every->WorldsMoved());
}

TEST_F(SiteSessionTest, AnUnknownWorldIsSaidBeforeAnythingElseIsLookedFor) {
    Sector("East", 0, 0);
    EXPECT_THROW(Session({"East", "Nowhere"}, false), web::UnknownWorld);
    EXPECT_EQ(optionsAsked, 0);
}

TEST_F(SiteSessionTest, UnreadableSectorsAreSaidOnceASessionTheFirstFewByName) {
    Sector("North", 0, 0);
    for (int a = 1; a <= 7; ++a) {
        Sector("North", a, 0, false);
    }
    // The same sector of another world, unreadable alike, is a sector of its own.
    Sector("West", 0, 0);
    Sector("West", 1, 0, false);
    const auto session = Session({}, true);
    Write(*session);
    ASSERT_EQ(said.size(), 6u);
    for (std::size_t line = 0; line < 5; ++line) {
        EXPECT_TRUE(said[line].starts_with("cannot read " + folder.path().string())) << said[line];
        EXPECT_TRUE(said[line].ends_with(": holds no samples (empty, or only a header); left out"))
            << said[line];
    }
    EXPECT_EQ(said.back(), "3 more unreadable sectors left out");

    // Written again with North changed: of its unreadable sectors only the new one is said.
    said.clear();
    Sector("North", 0, 1);
    Sector("North", 8, 0, false);
    Write(*session);
    EXPECT_EQ(said, std::vector<std::string>{
                        "cannot read " + (Terrain("North") / "8_0" / "heightmap_8_0.zdt").string() +
                        ": holds no samples (empty, or only a header); left out"});
    EXPECT_EQ(ended, 2);
}

TEST_F(SiteSessionTest, AFolderAnotherHoldsOrOfOtherFilesIsRefusedInOneLine) {
    Sector("East", 0, 0);
    const auto session = Session({"East"}, false);
    const std::string name = site.string();
    const struct {
        std::string holder;  // empty: a file of another's in the folder instead
        std::string refusal;
    } cases[] = {
        {"velmora serve at http://127.0.0.1:8765/ (pid 12)",
         name + " is served by velmora serve at http://127.0.0.1:8765/ (pid 12), which keeps it "
                "up to date as the game writes"},
        {"velmora serve (pid 12)", name + " is served by velmora serve (pid 12), which keeps it "
                                          "up to date as the game writes"},
        {"velmora web (pid 12)",
         name + " is being written by velmora web (pid 12); run again once it is done"},
        {"", name + " holds files that are not a site of velmora's (--force writes the site "
                    "beside them, replacing or removing none of them)"},
    };
    for (const auto& each : cases) {
        fs::remove_all(site);
        fs::create_directories(site);
        std::optional<web::SiteLock> other;
        if (each.holder.empty()) {
            WriteFile(site / "notes.txt", "mine\n");
        } else {
            other.emplace(web::SiteLock::Take(site, each.holder));
        }
        try {
            Write(*session);
            ADD_FAILURE() << "written despite " << each.refusal;
        } catch (const web::SiteSessionError& refused) {
            EXPECT_EQ(refused.what(), each.refusal);
        }
        EXPECT_FALSE(fs::exists(site / "index.html")) << each.refusal;
    }
}

}  // namespace
