// The site's generator on small worlds written here: what its tiles hold, that an update after
// sectors change, go and come beyond the world's box gives the site a fresh build would, writing
// only what they touch, and that no failure or foreign folder costs anyone a file.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "support/file_size_limit.h"
#include "support/temporary_prefix.h"
#include "terrain/grid_constants.h"
#include "web/data_file.h"
#include "web/height_tile.h"
#include "web/site_files.h"
#include "web/site_layout.h"
#include "web/site_lock.h"
#include "web/site_record.h"
#include "web/site_writer.h"
#include "world/world_files.h"

namespace {

namespace fs = std::filesystem;
using world_test::WriteSector;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A world's terrain folder, sectors written by name, and sites made of it.
class SiteTest : public testing::Test {
protected:
    SiteTest() {
        fs::create_directories(page / "js");
        WriteFile(page / "index.html", "<!DOCTYPE html><title>page</title>\n");
        WriteFile(page / "js" / "app.js", "\"use strict\";\n");
        fs::create_directories(leaflet / "images");
        WriteFile(leaflet / "leaflet.js", "var L = {};\n");
        WriteFile(leaflet / "leaflet.css", "\n");
        WriteFile(leaflet / "images" / "layers.png", "png");
        WriteFile(folder.path() / "copyright", "licence\n");
    }

    void Write(const std::string& name, int a, int b, int lift = 0) {
        sources[name] = WriteSector(terrain, name, [a, b, lift](int r, int c) {
            const int x = 126 * a + r;
            const int y = 126 * b + c;
            return static_cast<std::uint16_t>(1000 + lift + (x * 7 % 301) + (y * 13 % 277));
        });
    }

    web::SiteOptions Options(bool force = false) const {
        web::SiteOptions options;
        options.pageFiles = page;
        options.leaflet = leaflet;
        options.leafletLicence = folder.path() / "copyright";
        options.force = force;
        return options;
    }

    std::vector<world::SectorSource> Sources() const {
        std::vector<world::SectorSource> list;
        for (const auto& [name, source] : sources) {
            list.push_back(source);
        }
        return list;
    }

    static web::SiteReport SiteOf(const fs::path& site, std::vector<web::SiteWorld> worlds,
                                  const web::SiteOptions& options) {
        web::CheckSiteFolder(site, options);
        const web::SiteLock lock = web::SiteLock::Take(site, "a test");
        return web::WriteSite(std::move(worlds), site, options, lock);
    }

    // The site of the one world "Test".
    web::SiteReport Site(const fs::path& site, bool force = false) const {
        return SiteOf(site, {{"Test", Sources()}}, Options(force));
    }

    // A key of the world's data as the site names it.
    std::string Full(const std::string& key) const {
        return key == web::GroundKey ? key : web::WorldFileKey(world, key);
    }

    // Every data file's payload by key (the world's own below its folder), as its site's record
    // names it, with the file's version.
    std::map<std::string, std::pair<std::vector<std::uint8_t>, std::uint64_t>> Payloads(
        const fs::path& site) const {
        const auto record = web::ParseSiteRecord(ReadText(site / ".velmora-site"));
        EXPECT_TRUE(record.has_value());
        std::map<std::string, std::pair<std::vector<std::uint8_t>, std::uint64_t>> payloads;
        for (const auto& [key, file] :
             record ? record->files : std::map<std::string, web::RecordedFile>{}) {
            const std::string text = ReadText(site / web::DataFilePath(key, file.version));
            const std::string own =
                key.starts_with(world + "/") ? key.substr(world.size() + 1) : key;
            std::vector<std::uint8_t> payload;
            // Sizes differ by kind; inflating to the whole stream's size needs it known, so a
            // tile's is taken and any other is compared as text.
            if (own.starts_with("tiles/")) {
                EXPECT_TRUE(web::ReadDataFile(text, key, web::TilePayloadBytes, payload)) << key;
            } else {
                payload.assign(text.begin(), text.end());
            }
            payloads[own] = {std::move(payload), file.version};
        }
        return payloads;
    }

    TemporaryDirectory folder;
    fs::path terrain = folder.path() / "Testquarlend" / "terrain";
    fs::path page = folder.path() / "page";
    fs::path leaflet = folder.path() / "leaflet";
    std::map<std::string, world::SectorSource> sources;
    const std::string world = web::WorldFolderOf("Test");
};

TEST_F(SiteTest, LevelZeroTilesHoldTheWorldsSamplesAndTheLaterSectorGivesSharedOnes) {
    Write("0_0", 0, 0);
    Write("1_0", 1, 0, 500);  // its first column disagrees with 0_0's last: 1_0's is drawn
    Write("3_0", 3, 0);       // its last column is tile 1's first
    Site(folder.path() / "site");
    const auto payloads = Payloads(folder.path() / "site");
    web::TileCore core;
    ASSERT_TRUE(payloads.contains("tiles/0/0_0"));
    ASSERT_TRUE(web::CoreFromPayload(payloads.at("tiles/0/0_0").first, core));
    const auto at = [&](int u, int v) { return std::size_t(v) * web::TileSide + std::size_t(u); };
    const auto sample = [](int x, int y, int lift) {
        return static_cast<std::uint16_t>(1000 + lift + (x * 7 % 301) + (y * 13 % 277));
    };
    EXPECT_EQ(core.height[at(5, 9)], sample(5, 9, 0));
    EXPECT_EQ(core.height[at(126, 40)], sample(126, 40, 500));
    EXPECT_EQ(core.coverage[at(126, 40)], 255);
    EXPECT_EQ(core.height[at(300, 40)], 0);  // place 2_0 is a hole
    EXPECT_EQ(core.coverage[at(300, 40)], 0);
    EXPECT_EQ(core.coverage[at(40, 127)], 0);  // below the sectors
    // Sector 3_0's last column lies in tile 1, which exists for it alone.
    ASSERT_TRUE(payloads.contains("tiles/0/1_0"));
    ASSERT_TRUE(web::CoreFromPayload(payloads.at("tiles/0/1_0").first, core));
    EXPECT_EQ(core.height[at(0, 77)], sample(504, 77, 0));
    EXPECT_EQ(core.coverage[at(1, 77)], 0);
    // One level up, the whole world in one tile: each pixel the mean of the four below it.
    ASSERT_TRUE(payloads.contains("tiles/1/0_0"));
    ASSERT_TRUE(web::CoreFromPayload(payloads.at("tiles/1/0_0").first, core));
    EXPECT_EQ(core.height[at(2, 3)],
              (sample(4, 6, 0) + sample(5, 6, 0) + sample(4, 7, 0) + sample(5, 7, 0) + 2) / 4);
    EXPECT_EQ(core.coverage[at(2, 3)], 255);
    EXPECT_FALSE(payloads.contains("tiles/2/0_0"));
}

// An update gives the site a fresh build of the same world would give (every payload alike),
// writes again only what the changes touch and leaves no file that is not named.
TEST_F(SiteTest, AnUpdateGivesTheFreshSiteAndTouchesOnlyWhatChanged) {
    for (int a = 0; a < 8; ++a) {
        for (int b = 0; b < 8; ++b) {
            Write(std::to_string(a) + "_" + std::to_string(b), a, b);
        }
    }
    const fs::path site = folder.path() / "site";
    EXPECT_TRUE(Site(site).created);
    const auto before = Payloads(site);

    Write("1_1", 1, 1, 40);  // rewritten
    fs::remove_all(terrain / "6_6");
    sources.erase("6_6");  // removed
    Write("11_2", 11, 2);  // beyond the box: the pyramid grows
    const web::SiteReport update = Site(site);
    EXPECT_FALSE(update.created);
    const auto after = Payloads(site);
    const fs::path fresh = folder.path() / "fresh";
    Site(fresh);
    const auto rebuilt = Payloads(fresh);

    ASSERT_EQ(after.size(), rebuilt.size());
    std::size_t rewritten = 0;
    for (const auto& [key, payload] : rebuilt) {
        ASSERT_TRUE(after.contains(key)) << key;
        if (key.starts_with("tiles/")) {
            EXPECT_EQ(after.at(key).first, payload.first) << key;
        }
        rewritten += after.at(key).second == 2 ? 1 : 0;
    }
    // The changes touch three tiles of level 0 (1_1, 6_6 and 11_2 each lie in one), the new
    // column of tiles it starts, and one tile a level above, besides the level tree's chunks,
    // the picture and the world's index.
    EXPECT_LE(rewritten, 18u);
    EXPECT_GE(rewritten, 5u);
    for (const auto& [key, payload] : before) {
        if (after.contains(key) && after.at(key).second == 1) {
            EXPECT_EQ(payload.first, after.at(key).first) << key << " kept";
        }
    }
    // Nothing below data/ but the files the indexes name, and the site's index itself.
    std::set<std::string> named;
    for (const auto& [key, payload] : after) {
        named.insert(web::DataFilePath(Full(key), payload.second));
    }
    named.insert("data/worlds.js");
    for (const auto& entry : fs::recursive_directory_iterator(site / "data")) {
        if (entry.is_regular_file()) {
            EXPECT_TRUE(named.contains(fs::relative(entry.path(), site).string())) << entry.path();
        }
    }
    // Run again without a change: nothing but the index is written.
    const web::SiteReport unchanged = Site(site);
    EXPECT_EQ(unchanged.filesWritten, 1u);
    EXPECT_EQ(unchanged.filesRemoved, 0u);
}

TEST_F(SiteTest, AFolderOfOtherFilesIsRefusedAndForcedNeverLosesThem) {
    Write("0_0", 0, 0);
    const fs::path site = folder.path() / "mine";
    WriteFile(site / "notes.txt", "mine");
    EXPECT_THROW(Site(site), web::NotASite);
    EXPECT_FALSE(fs::exists(site / "index.html"));
    Site(site, true);
    EXPECT_TRUE(fs::exists(site / "index.html"));
    Site(site);  // a site of ours now: updated without --force
    EXPECT_EQ(ReadText(site / "notes.txt"), "mine");

    // A record that names files outside the site, or its own, removes none of them.
    WriteFile(folder.path() / "outside.js", "keep");
    std::string record = ReadText(site / ".velmora-site");
    const std::string files = "\"files\":{";
    record.insert(record.find(files) + files.size(), "\"../../outside\":[1,0],\"../notes\":[3,0],");
    WriteFile(site / ".velmora-site", record);
    Write("0_0", 0, 0, 10);
    // Files put beside the site's, named as its data files or not, are no run's: they stay.
    WriteFile(site / "data" / "tiles" / "0" / "9_9.v7.js", "put here");
    WriteFile(site / "data" / "notes.txt", "mine");
    Site(site);
    EXPECT_TRUE(fs::exists(folder.path() / "outside.js"));
    EXPECT_TRUE(fs::exists(site / "notes.txt"));
    EXPECT_EQ(ReadText(site / "data" / "tiles" / "0" / "9_9.v7.js"), "put here");
    EXPECT_TRUE(fs::exists(site / "data" / "notes.txt"));
}

// A file that cannot be written (here: the size limit) fails the update, and the site is left
// as it was: the same index, every file it names still there, nothing of the failed run's.
TEST_F(SiteTest, AFailedUpdateLeavesThePreviousSiteWhole) {
    for (const auto& [a, b] : {std::pair{0, 0}, {1, 0}, {0, 1}}) {
        Write(std::to_string(a) + "_" + std::to_string(b), a, b);
    }
    const fs::path site = folder.path() / "site";
    Site(site);
    const std::string index = ReadText(site / "data" / "worlds.js");
    std::set<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(site)) {
        files.insert(entry.path());
    }
    const std::string record = ReadText(site / ".velmora-site");
    Write("5_5", 5, 5);
    signal(SIGXFSZ, SIG_IGN);
    // Room for the record, not for a tile: the update fails at its first.
    for (const std::size_t room : {std::size_t{100}, record.size() + 512}) {
        const FileSizeLimit limit(room);
        try {
            Site(site);
            ADD_FAILURE() << "did not fail with room for " << room << " bytes";
        } catch (const web::SiteWriteError& failure) {
            EXPECT_EQ(failure.left, web::LeftSite::AsItWas);
        }
    }
    EXPECT_EQ(ReadText(site / ".velmora-site"), record);
    EXPECT_EQ(ReadText(site / "data" / "worlds.js"), index);
    std::set<fs::path> now;
    for (const auto& entry : fs::recursive_directory_iterator(site)) {
        now.insert(entry.path());
    }
    EXPECT_EQ(now, files);
}

// Every file below `folder` with its bytes ("-> TARGET" for a link), found without following
// links.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (auto it = fs::recursive_directory_iterator(folder);
         it != fs::recursive_directory_iterator(); ++it) {
        const std::string path = fs::relative(it->path(), folder).generic_string();
        if (it->is_symlink()) {
            files[path] = "-> " + fs::read_symlink(it->path()).string();
        } else if (it->is_regular_file()) {
            files[path] = ReadText(it->path());
        }
    }
    return files;
}

std::vector<std::string> Temporaries(const fs::path& folder) {
    std::vector<std::string> found;
    for (const auto& [path, bytes] : Snapshot(folder)) {
        if (path.find(".part-") != std::string::npos) {
            found.push_back(path);
        }
    }
    return found;
}

// A folder of a user's, with files where the site's go and files named as its data files: a
// forced run is refused before it writes anything while one of the site's paths is taken, and
// once they are free, writes the site beside the rest, which no later run replaces or removes.
TEST_F(SiteTest, ForcedIntoAUsersFolderNothingOfTheUsersIsReplacedOrRemoved) {
    Write("0_0", 0, 0);
    Write("1_0", 1, 0);
    const fs::path site = folder.path() / "mine";
    const std::map<std::string, std::string> taking = {
        {"index.html", "my page"}, {"js/app.js", "my script"}, {"data/worlds.js", "my worlds"}};
    const std::map<std::string, std::string> beside = {
        {"notes.txt", "notes"},
        {"data/world.js", "my world, named as the index of a site of the layout before"},
        {"data/notes.v1.js", "my notes"},
        {"data/photos/trip.v2.js", "my trip"},
        {"data/tiles/0/9_9.v1.js", "my tile"},
        {"data/tiles/0/0_0.v1.js", "named as the site's first tile"},
        {"data/mine.v7.js", "mine"},
        {"lib/other.js", "another library"}};
    for (const auto& files : {taking, beside}) {
        for (const auto& [path, bytes] : files) {
            WriteFile(site / path, bytes);
        }
    }
    for (const auto& [path, bytes] : taking) {
        const auto before = Snapshot(site);
        try {
            Site(site, true);
            ADD_FAILURE() << "not refused while " << path << " is taken";
        } catch (const web::NotASite& refusal) {
            EXPECT_THAT(refusal.what(), testing::HasSubstr(path));
        }
        EXPECT_EQ(Snapshot(site), before) << "written before refusing";
        fs::rename(site / path, site / (path + ".kept"));
    }
    Site(site, true);
    Write("1_0", 1, 0, 30);
    Write("2_0", 2, 0);
    Site(site);  // an update: a site of ours now
    fs::remove_all(terrain / "2_0");
    sources.erase("2_0");
    Site(site);
    for (const auto& [path, bytes] : beside) {
        EXPECT_EQ(ReadText(site / path), bytes) << path;
    }
    for (const auto& [path, bytes] : taking) {
        EXPECT_EQ(ReadText(site / (path + ".kept")), bytes) << path;
    }
    EXPECT_TRUE(fs::exists(site / "index.html"));
}

// A record (or a site) made to lead outside through links: nothing outside is written or
// removed, whatever the record names.
TEST_F(SiteTest, LinksInTheSiteNeverLeadARunOutsideIt) {
    Write("0_0", 0, 0);
    const fs::path outside = folder.path() / "outside";
    WriteFile(outside / "victim.txt", "keep");
    WriteFile(outside / "0" / "0_0.v1.js", "keep");
    struct Case {
        const char* name;
        std::function<void(const fs::path& site)> craft;
    };
    const auto name = [](const fs::path& site, const std::string& listed, const std::string& path) {
        auto record = nlohmann::json::parse(ReadText(site / ".velmora-site"));
        if (listed == "page") {
            record["page"][path] = 1;
        } else if (listed == "pending") {
            record["pending"]["files"].push_back(path);
        } else {
            record["retired"].push_back(path);
        }
        WriteFile(site / ".velmora-site", record.dump());
    };
    const std::vector<Case> cases = {
        {"a retired file through a link",
         [&](const fs::path& site) {
             fs::create_directory_symlink(outside, site / "escape");
             name(site, "retired", "escape/victim.txt");
         }},
        {"a pending file through a link",
         [&](const fs::path& site) {
             fs::create_directory_symlink(outside, site / "escape");
             name(site, "pending", "escape/victim.txt");
         }},
        {"a page file no longer named, through a link",
         [&](const fs::path& site) {
             fs::create_directory_symlink(outside, site / "escape");
             name(site, "page", "escape/victim.txt");
         }},
        {"the tiles' folder a link",
         [&](const fs::path& site) {
             fs::remove_all(site / "data" / web::WorldFolderOf("Test") / "tiles");
             fs::create_directory_symlink(outside,
                                          site / "data" / web::WorldFolderOf("Test") / "tiles");
         }},
        {"a page file a link",
         [&](const fs::path& site) {
             fs::remove(site / "index.html");
             fs::create_symlink(outside / "victim.txt", site / "index.html");
         }},
        {"the record a link",
         [&](const fs::path& site) {
             fs::rename(site / ".velmora-site", outside / "record");
             fs::create_symlink(outside / "record", site / ".velmora-site");
         }},
    };
    int run = 0;
    for (const Case& crafted : cases) {
        const fs::path site = folder.path() / ("site" + std::to_string(++run));
        Site(site);
        crafted.craft(site);
        const auto before = Snapshot(outside);
        Write("0_0", 0, 0, run);  // an update that writes tiles and removes the old ones
        try {
            Site(site);
        } catch (const std::runtime_error& refusal) {
            // Refusing is one right answer; following the link is not.
        }
        EXPECT_EQ(Snapshot(outside), before) << crafted.name;
    }
}

// A run stopped at any moment (SIGKILL in a child), or failing part way, leaves a folder the
// next run takes as its site and finishes, leaving no temporary file and only files the site
// names: a first run and an update.
TEST_F(SiteTest, ARunStoppedAnywhereIsFinishedByTheNext) {
    for (int a = 0; a < 6; ++a) {
        Write(std::to_string(a) + "_0", a, 0);
        Write(std::to_string(a) + "_5", a, 5);
    }
    const fs::path fresh = folder.path() / "fresh";
    const auto timer = std::chrono::steady_clock::now();
    Site(fresh);
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - timer);
    std::mt19937 random(20261209);
    // The next run gives the site a fresh run gives, with nothing of the stopped one's left.
    const auto check = [&](const fs::path& site, const auto& whole, const std::string& how) {
        EXPECT_NO_THROW(Site(site)) << how;
        EXPECT_THAT(Temporaries(site), testing::IsEmpty()) << how;
        const auto payloads = Payloads(site);
        ASSERT_EQ(payloads.size(), whole.size()) << how;
        std::set<std::string> named = {"data/worlds.js"};
        for (const auto& [key, payload] : payloads) {
            // The world's index names versions, which differ run to run.
            if (key != web::WorldIndexKey) {
                EXPECT_EQ(payload.first, whole.at(key).first) << how << ": " << key;
            }
            named.insert(web::DataFilePath(Full(key), payload.second));
        }
        for (const auto& [path, bytes] : Snapshot(site / "data")) {
            EXPECT_TRUE(named.contains("data/" + path)) << how << ": " << path << " left";
        }
    };
    const auto killed = [&](const std::string& name, const fs::path& from, const auto& whole) {
        for (int attempt = 0; attempt < 8; ++attempt) {
            const fs::path site = folder.path() / (name + std::to_string(attempt));
            if (!from.empty()) {
                fs::copy(from, site, fs::copy_options::recursive);
            }
            const auto delay = std::chrono::microseconds(
                std::uniform_int_distribution<long>(0, took.count() * 3 / 2)(random));
            const pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                Site(site);
                _exit(0);
            }
            std::this_thread::sleep_for(delay);
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            if (fs::exists(site)) {
                check(site, whole, name + " killed after " + std::to_string(delay.count()) + " us");
            }
        }
    };
    killed("first", {}, Payloads(fresh));

    // Updates stopped: sectors rewritten, gone and come.
    Write("0_0", 0, 0, 40);
    Write("3_5", 3, 5, 40);
    fs::remove_all(terrain / "5_0");
    sources.erase("5_0");
    Write("7_2", 7, 2);
    const fs::path later = folder.path() / "later";
    Site(later);
    killed("update", fresh, Payloads(later));

    // A first run that fails at its first tile (a size limit: tiles are larger than the record).
    const fs::path failed = folder.path() / "failed";
    signal(SIGXFSZ, SIG_IGN);
    try {
        const FileSizeLimit limit(ReadText(fresh / ".velmora-site").size() + 512);
        Site(failed);
        ADD_FAILURE() << "the size limit did not fail the run";
    } catch (const web::SiteWriteError& failure) {
        EXPECT_EQ(failure.left, web::LeftSite::Unfinished);
    }
    check(failed, Payloads(later), "failed part way");
}

// One writer at a time: a second is refused naming the first, and a holder that dies, however,
// frees the site.
TEST_F(SiteTest, OneWriterAtATime) {
    Write("0_0", 0, 0);
    const fs::path site = folder.path() / "site";
    Site(site);
    {
        const web::SiteLock first =
            web::SiteLock::Take(site, "velmora serve at http://127.0.0.1:8765/ (pid 123)");
        try {
            Site(site);
            ADD_FAILURE() << "a second writer got in";
        } catch (const web::SiteLocked& locked) {
            EXPECT_EQ(locked.holder, "velmora serve at http://127.0.0.1:8765/ (pid 123)");
        }
        const web::SiteLock elsewhere = web::SiteLock::Take(folder.path(), "a test");
        web::SiteOptions options;
        EXPECT_THROW(web::WriteSite({}, site, options, elsewhere), std::logic_error);
    }
    EXPECT_FALSE(fs::exists(site / ".velmora-lock"));
    EXPECT_NO_THROW(Site(site));

    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const web::SiteLock held = web::SiteLock::Take(site, "a child\nwith a second line");
        (void)!write(ready[1], "x", 1);
        pause();
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    close(ready[0]);
    close(ready[1]);
    EXPECT_THROW(
        {
            try {
                web::SiteLock::Take(site, "a test");
            } catch (const web::SiteLocked& locked) {
                EXPECT_EQ(locked.holder, "a child");
                throw;
            }
        },
        web::SiteLocked);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    // The dead holder's file is left; it is the site's own, and taken over.
    EXPECT_TRUE(fs::exists(site / ".velmora-lock"));
    EXPECT_NO_THROW(Site(site));
    EXPECT_FALSE(fs::exists(site / ".velmora-lock"));

    // A lock file that is a link is not followed.
    WriteFile(folder.path() / "elsewhere", "keep");
    fs::create_symlink(folder.path() / "elsewhere", site / ".velmora-lock");
    EXPECT_THROW(web::SiteLock::Take(site, "a test"), std::runtime_error);
    EXPECT_EQ(ReadText(folder.path() / "elsewhere"), "keep");
}

// The record lost, or an older one put back: the next run's files take names no earlier run
// gave, so no name of the site's ever stands for two contents.
TEST_F(SiteTest, VersionsNeverRepeatWhateverHappenedToTheRecord) {
    Write("0_0", 0, 0);
    Write("1_0", 1, 0);
    const fs::path site = folder.path() / "site";
    const std::string firstRecord = (Site(site), ReadText(site / ".velmora-site"));
    std::map<std::string, std::string> seen = Snapshot(site / "data");
    std::uint64_t highest = 1;
    const std::vector<std::pair<const char*, std::function<void()>>> mishaps = {
        {"an older record put back", [&] { WriteFile(site / ".velmora-site", firstRecord); }},
        {"the record lost", [&] { fs::remove(site / ".velmora-site"); }},
        {"nothing", [] {}},
    };
    int lift = 0;
    for (int round = 0; round < 2; ++round) {
        for (const auto& [mishap, happen] : mishaps) {
            Write("1_0", 1, 0, lift += 20);
            const web::SiteReport report = Site(site);
            happen();
            Write("0_0", 0, 0, lift += 20);
            const web::SiteReport next = Site(site);
            EXPECT_GT(next.version, std::max(report.version, highest)) << mishap;
            highest = next.version;
            for (const auto& [path, bytes] : Snapshot(site / "data")) {
                if (path != "worlds.js" && seen.contains(path)) {
                    EXPECT_EQ(bytes, seen.at(path)) << mishap << ": " << path;
                }
                seen[path] = bytes;
            }
        }
    }
}

TEST_F(SiteTest, ARecordOfANewerFormatIsRefusedAndKept) {
    Write("0_0", 0, 0);
    const fs::path site = folder.path() / "site";
    Site(site);
    const std::string newer = R"({"velmora-site":5,"worlds":{},"what":"is to come"})";
    WriteFile(site / ".velmora-site", newer);
    const auto before = Snapshot(site);
    for (const bool force : {false, true}) {
        try {
            Site(site, force);
            ADD_FAILURE() << "a newer site was written";
        } catch (const web::NotASite& refusal) {
            EXPECT_THAT(refusal.what(), testing::HasSubstr("newer"));
        }
        EXPECT_EQ(Snapshot(site), before);
    }
}

// A site is published as it is: no file of it says where the world, the user's home or the
// texture lie.
TEST_F(SiteTest, NoPathOfTheMachineInAnyFileOfTheSite) {
    Write("0_0", 0, 0);
    Write("1_1", 1, 1);
    // Sectors that cannot be read are named in the world's index, with why: not where they lie.
    fs::create_directories(terrain / "2_0");
    sources["2_0"] = {"2_0", (terrain / "2_0" / "heightmap_2_0.zdt").string()};
    Write("0_2", 0, 2);
    fs::resize_file(sources["0_2"].hostPath, 100);
    const fs::path site = folder.path() / "site";
    Site(site);
    ASSERT_THAT(ReadText(site / "data" / world / "world.v1.js"), testing::HasSubstr("0_2"));
    for (const auto& [path, bytes] : Snapshot(site)) {
        for (const std::string& leak :
             {folder.path().string(), terrain.string(), std::string("Testquarlend")}) {
            EXPECT_EQ(bytes.find(leak), std::string::npos) << path << " holds " << leak;
        }
    }
}

// A site of one world as the layout before folders a world had it (its record of format 2,
// which kept paths, or 3): the next run writes the new layout and removes the old files, and
// only those.
TEST_F(SiteTest, ASiteOfTheLayoutBeforeIsBroughtToTheNew) {
    Write("0_0", 0, 0);
    for (const int format : {2, 3}) {
        const fs::path site = folder.path() / ("old" + std::to_string(format));
        const std::map<std::string, std::string> old = {{"index.html", "an old page"},
                                                        {"data/world.js", "Velmora.world({});"},
                                                        {"data/tiles/0/0_0.v1.js", "a tile"},
                                                        {"data/lod/top.v1.js", "a chunk"}};
        for (const auto& [path, bytes] : old) {
            WriteFile(site / path, bytes);
        }
        WriteFile(site / "data" / "notes.txt", "mine");
        const std::string where =
            format == 2 ? nlohmann::json(sources.at("0_0").hostPath).dump() : std::string("17");
        const std::string terrainField =
            format == 2 ? nlohmann::json(terrain.string()).dump() : "\"00000000000000aa\"";
        std::string record = R"({"velmora-site":)" + std::to_string(format) +
                             R"(,"world":"Test","terrain":)" + terrainField +
                             R"(,"version":1,"sectors":{"0_0":[1,)" + where +
                             R"(,32258,5]},"files":{"tiles/0/0_0":[1,0],"lod/top":[1,9]},)"
                             R"("ground":null,"page":{"index.html":5})";
        record += format == 2 ? "}" : R"(,"pending":{"versions":[],"files":[]},"retired":[]})";
        WriteFile(site / ".velmora-site", record);
        const web::SiteReport report = Site(site);
        EXPECT_FALSE(report.created) << format;
        for (const auto& [path, bytes] : old) {
            if (path != "index.html") {
                EXPECT_FALSE(fs::exists(site / path)) << format << ": " << path;
            }
        }
        EXPECT_NE(ReadText(site / "index.html"), "an old page");
        EXPECT_EQ(ReadText(site / "data" / "notes.txt"), "mine");
        EXPECT_TRUE(fs::exists(site / "data" / "worlds.js"));
        EXPECT_TRUE(Payloads(site).contains("tiles/0/0_0")) << format;
        EXPECT_EQ(ReadText(site / ".velmora-site").find(terrain.string()), std::string::npos);
        // Brought over, it is a site like any other: a run that changed nothing writes the
        // index alone.
        EXPECT_EQ(Site(site).filesWritten, 1u);
    }
}

// Several worlds in one site, with names a URL or a file system would trip on: each world's
// files in a folder of its own, an update of one rewriting nothing of another's, and a world
// no longer listed leaving with its files alone.
TEST_F(SiteTest, EachWorldKeepsToItsFolderAndAnUpdateOfOneLeavesTheOthers) {
    const std::vector<std::string> names = {"Test", "test", "a b#c&d%e", "\xc3\xa9t\xc3\xa9",
                                            "..",   "empty"};
    // Each world's terrain folder of its own, two sectors in it ("empty": none).
    std::map<std::string, std::vector<world::SectorSource>> sectors;
    const auto write = [&](const std::string& name, int a, int lift) {
        const fs::path own = folder.path() / "worlds" / web::WorldFolderOf(name) / "terrain";
        const world::SectorSource source = WriteSector(
            own, std::to_string(a) + "_0",
            [&](int r, int c) { return static_cast<std::uint16_t>(1000 + lift + r + c); });
        auto& list = sectors[name];
        std::erase_if(list, [&](const auto& had) { return had.name == source.name; });
        list.push_back(source);
    };
    for (const std::string& name : names) {
        for (int a = 0; name != "empty" && a < 2; ++a) {
            write(name, a, 0);
        }
    }
    const auto worlds = [&](const std::vector<std::string>& listed) {
        std::vector<web::SiteWorld> list;
        for (const std::string& name : listed) {
            list.push_back({name, sectors[name]});
        }
        return list;
    };
    const fs::path site = folder.path() / "site";
    EXPECT_EQ(SiteOf(site, worlds(names), Options()).worlds, names.size());
    const std::string script = ReadText(site / "data" / "worlds.js");
    const auto index = nlohmann::json::parse(script.substr(15, script.size() - 15 - 3), nullptr,
                                             false);  // Velmora.worlds(...);
    ASSERT_FALSE(index.is_discarded()) << script;
    ASSERT_EQ(index["worlds"].size(), names.size());
    std::set<std::string> folders;
    for (std::size_t w = 0; w < names.size(); ++w) {
        const auto& entry = index["worlds"][w];
        EXPECT_EQ(entry["name"], names[w]);
        EXPECT_EQ(entry["folder"], web::WorldFolderOf(names[w]));
        EXPECT_TRUE(folders.insert(entry["folder"]).second) << names[w];
        EXPECT_EQ(fs::is_directory(site / "data" / web::WorldFolderOf(names[w])),
                  names[w] != "empty")
            << names[w];
        EXPECT_EQ(entry["sectors"], names[w] == "empty" ? 0 : 2) << names[w];
        EXPECT_EQ(entry["picture"].is_null(), names[w] == "empty") << names[w];
    }

    // One sector of "Test" changes, and it is written alone: "test" is another world.
    const auto before = Snapshot(site / "data");
    write("Test", 0, 25);
    const web::SiteReport changed = SiteOf(site, worlds(names), Options());
    EXPECT_THAT(changed.changes, testing::ElementsAre(testing::Key("Test")));
    EXPECT_LE(changed.filesWritten, 64u);
    const std::string test = web::WorldFolderOf("Test") + "/";
    for (const auto& [path, bytes] : Snapshot(site / "data")) {
        if (!path.starts_with(test) && path != "worlds.js") {
            EXPECT_EQ(bytes, before.count(path) ? before.at(path) : "new") << path;
        }
    }

    // Worlds no longer listed leave, their folders emptied; the others stay as they were.
    const auto stay = Snapshot(site / "data" / web::WorldFolderOf("test"));
    const web::SiteReport left = SiteOf(site, worlds({"test", "empty"}), Options());
    EXPECT_TRUE(left.changes.contains(".."));
    EXPECT_EQ(Snapshot(site / "data" / web::WorldFolderOf("test")), stay);
    for (const std::string gone : {"Test", "a b#c&d%e", ".."}) {
        for (const auto& [path, bytes] : Snapshot(site / "data" / web::WorldFolderOf(gone))) {
            ADD_FAILURE() << gone << ": " << path << " left";
        }
    }
}

// What a run writes over: a page file a user removed comes back; the site's index is the last
// file a run writes; a failure after new files were written takes them away again.
TEST_F(SiteTest, ThePageComesBackTheIndexComesLastAndAFailureTakesItsFilesAway) {
    Write("0_0", 0, 0);
    const fs::path site = folder.path() / "site";
    Site(site);
    fs::remove(site / "index.html");
    fs::remove(site / "js" / "app.js");
    Site(site);
    EXPECT_EQ(ReadText(site / "index.html"), ReadText(page / "index.html"));
    EXPECT_EQ(ReadText(site / "js" / "app.js"), ReadText(page / "js" / "app.js"));

    // A new page and a changed sector: every file the run writes is older than the index.
    WriteFile(page / "index.html", "<!DOCTYPE html><title>a new page</title>\n");
    Write("0_0", 0, 0, 30);
    const web::SiteReport report = Site(site);
    const auto indexWritten = fs::last_write_time(site / "data" / "worlds.js");
    for (const auto& entry : fs::recursive_directory_iterator(site)) {
        if (entry.is_regular_file() && entry.path().filename() != ".velmora-site") {
            EXPECT_LE(fs::last_write_time(entry.path()), indexWritten) << entry.path();
        }
    }
    EXPECT_GE(report.filesWritten, 3u);

    // The page grows beyond what the disk takes, after the sector's tiles were written.
    const auto whole = Snapshot(site);
    Write("0_0", 0, 0, 60);
    WriteFile(page / "js" / "app.js", std::string(256 * 1024, ' '));
    signal(SIGXFSZ, SIG_IGN);
    try {
        const FileSizeLimit limit(128 * 1024);
        Site(site);
        ADD_FAILURE() << "the size limit did not fail the run";
    } catch (const web::SiteWriteError& failure) {
        EXPECT_EQ(failure.left, web::LeftSite::AsItWas);
    }
    EXPECT_EQ(Snapshot(site), whole);
}

TEST(WorldFolderTest, FoldersAreSafeAndTheirOwnForEveryName) {
    const std::vector<std::pair<std::string, std::string>> names = {
        {"Alpha World", "alpha-world-"},
        {"alpha world", "alpha-world-"},
        {"a b#c&d%e", "a-b-c-d-e-"},
        {"\xc3\xa9t\xc3\xa9", "t-"},
        {"..", "world-"},
        {"", "world-"},
        {"/-x-/", "x-"},
        {std::string(100, 'Q'), std::string(32, 'q') + "-"},
        {"\xff\xfe", "world-"},
    };
    std::set<std::string> folders;
    for (const auto& [name, start] : names) {
        const std::string folder = web::WorldFolderOf(name);
        EXPECT_TRUE(folder.starts_with(start)) << name << ": " << folder;
        EXPECT_TRUE(web::IsWorldFolder(folder)) << folder;
        EXPECT_TRUE(folders.insert(folder).second) << name;
        EXPECT_EQ(folder, web::WorldFolderOf(name));
    }
    for (const char* other : {"", "x", "tiles", "-abcdef12", "a--b-abcdef12", "a-ABCDEF12",
                              "a/b-abcdef12", "a-abcdef1"}) {
        EXPECT_FALSE(web::IsWorldFolder(other)) << other;
    }
}

// A sector folder without its file is a change once, when it comes; not on every run after.
TEST_F(SiteTest, ASectorWithoutItsFileIsAChangeOnce) {
    Write("0_0", 0, 0);
    Write("1_0", 1, 0);
    const fs::path site = folder.path() / "site";
    Site(site);
    fs::create_directories(terrain / "2_0");
    sources["2_0"] = {"2_0", (terrain / "2_0" / "heightmap_2_0.zdt").string()};
    EXPECT_THAT(Site(site).changes["Test"], testing::Contains("2_0"));
    for (int run = 0; run < 2; ++run) {
        const web::SiteReport again = Site(site);
        EXPECT_THAT(again.changes, testing::IsEmpty());
        EXPECT_EQ(again.filesWritten, 1u);
    }
}

// Temporary files of ours a killed run left are removed; one of another name is not ours.
TEST_F(SiteTest, TemporaryFilesOfOursAreRemovedAndNoOthers) {
    Write("0_0", 0, 0);
    const fs::path site = folder.path() / "site";
    Site(site);
    const std::vector<std::pair<std::string, bool>> files = {
        {"data/world.js.part-a1B2c3", true}, {"data/tiles/0/0_0.v9.js.part-zzzzzz", true},
        {".velmora-site.part-QWERTY", true}, {"index.html.part-000000", true},
        {"notes.txt.part-a1B2c3", false},    {"data/world.js.part-toolong", false},
        {"data/world.js.part-a1", false},
    };
    for (const auto& [path, ours] : files) {
        WriteFile(site / path, "left");
    }
    Site(site);
    for (const auto& [path, ours] : files) {
        EXPECT_NE(fs::exists(site / path), ours) << path;
    }
}

// The file layer on its own: what it writes over, what it removes, and where links lead it.
TEST(SiteFilesTest, WritesOverOnlyFilesDeclaredOursAndNeverThroughALink) {
    TemporaryDirectory temporary;
    const fs::path site = temporary.path() / "site";
    const fs::path outside = temporary.path() / "outside";
    WriteFile(site / "theirs.txt", "theirs");
    WriteFile(site / "ours.txt", "old");
    WriteFile(outside / "victim.txt", "keep");
    fs::create_directory_symlink(outside, site / "escape");
    fs::create_symlink(outside / "victim.txt", site / "link.txt");
    {
        web::SiteFiles files(site);
        files.MayReplace("ours.txt");
        files.Write("new/deep/file.txt", "one");
        files.Write("new/deep/file.txt", "two");  // its own, written again
        EXPECT_FALSE(files.ReplacedAny());
        EXPECT_THROW(files.Write("theirs.txt", "mine now"), web::SiteFileError);
        for (const char* path : {"escape/victim.txt", "escape/new.txt", "link.txt"}) {
            EXPECT_THROW(files.Write(path, "through"), web::SiteFileError) << path;
            EXPECT_FALSE(files.Remove(path)) << path;
        }
        files.Write("ours.txt", "new");
        EXPECT_TRUE(files.ReplacedAny());

        const std::vector<std::pair<const char*, web::SiteEntryKind>> kinds = {
            {"ours.txt", web::SiteEntryKind::File},
            {"none.txt", web::SiteEntryKind::Missing},
            {"none/none.txt", web::SiteEntryKind::Missing},
            {"new", web::SiteEntryKind::Blocked},
            {"link.txt", web::SiteEntryKind::Blocked},
            {"escape/victim.txt", web::SiteEntryKind::Blocked},
            {"theirs.txt/x", web::SiteEntryKind::Blocked},
            {"../outside/victim.txt", web::SiteEntryKind::Blocked},
        };
        for (const auto& [path, kind] : kinds) {
            EXPECT_EQ(files.Kind(path), kind) << path;
        }
        EXPECT_FALSE(files.Read("escape/victim.txt"));
        EXPECT_EQ(files.Read("new/deep/file.txt"), "two");
    }
    // Not kept: what it added goes, what it replaced stays replaced.
    EXPECT_FALSE(fs::exists(site / "new" / "deep" / "file.txt"));
    EXPECT_EQ(ReadText(site / "ours.txt"), "new");
    EXPECT_EQ(ReadText(site / "theirs.txt"), "theirs");
    EXPECT_EQ(Snapshot(outside), (std::map<std::string, std::string>{{"victim.txt", "keep"}}));
    EXPECT_THAT(Temporaries(site), testing::IsEmpty());
}

TEST(SiteFilesTest, TemporaryNamesAreOnlyThoseThisProgramMakes) {
    const std::vector<std::pair<const char*, const char*>> names = {
        {"world.js.part-a1B2c3", "world.js"},
        {".velmora-site.part-QWERTY", ".velmora-site"},
        {"x.part-y.part-000000", "x.part-y"},
        {"world.js.part-a1B2c", nullptr},
        {"world.js.part-a1B2c3d", nullptr},
        {"world.js.part-a1B2-3", nullptr},
        {".part-a1B2c3", nullptr},
        {"world.js", nullptr},
    };
    for (const auto& [name, base] : names) {
        std::string found;
        EXPECT_EQ(web::IsTemporaryName(name, &found), base != nullptr) << name;
        if (base != nullptr) {
            EXPECT_EQ(found, base) << name;
        }
    }
}

TEST(SiteFilesTest, OnlyPlainPathsInsideTheSiteAreTakenFromARecord) {
    for (const char* inside : {"index.html", "data/tiles/0/1_2.v3.js", "lib/leaflet/LICENSE"}) {
        EXPECT_TRUE(web::IsInsideSite(inside)) << inside;
    }
    for (const char* outside :
         {"", "/etc/passwd", "../x", "data/../../x", "data//x", "./x", "data/.", "a\\b", "data/"}) {
        EXPECT_FALSE(web::IsInsideSite(outside)) << outside;
    }
    EXPECT_FALSE(web::IsInsideSite(std::string_view("a\0b", 3)));
}

// Records that once broke the reader (tests/fuzz/regressions/site_record) are refused.
TEST(SiteRecordTest, RecordsThatOnceBrokeTheReaderAreRefused) {
    std::size_t read = 0;
    for (const auto& entry :
         fs::directory_iterator(fs::path(VELMORA_FUZZ_FOLDER) / "regressions" / "site_record")) {
        EXPECT_FALSE(web::ParseSiteRecord(ReadText(entry.path()))) << entry.path();
        ++read;
    }
    EXPECT_GT(read, 0u);
    web::SiteRecord record;
    record.version = 3;
    web::RecordedWorld& east = record.worlds[web::WorldFolderOf("East")];
    east.name = "East";
    east.sectors["1_2"] = {web::SourceStamp{web::HashOf("/w/1_2/h.zdt"), 32282, -5}, 2};
    east.entry = R"({"name":"East"})";
    record.files["east/tiles/0/0_0"] = {3, 17};
    const auto back = web::ParseSiteRecord(web::SerialiseSiteRecord(record));
    ASSERT_TRUE(back.has_value());
    const web::RecordedWorld& readWorld = back->worlds.at(web::WorldFolderOf("East"));
    EXPECT_EQ(readWorld.sectors.at("1_2").stamp, east.sectors.at("1_2").stamp);
    EXPECT_EQ(readWorld.entry, east.entry);
    EXPECT_EQ(back->files.at("east/tiles/0/0_0").hash, 17u);
}

TEST(DataFileTest, PayloadsComeBackWholeAndAnythingElseIsRefused) {
    web::Payload payload;
    const std::vector<std::uint16_t> heights = {0, 65535, 7, 1000, 999, 1001, 0, 65535, 3};
    payload.Heights(heights, 3, 3);
    payload.U32(0xDEADBEEF);
    const std::string text = web::DataFileText("tiles/0/1_2", payload.bytes);
    EXPECT_TRUE(text.starts_with("Velmora.receive(\"tiles/0/1_2\", \""));
    std::vector<std::uint8_t> back;
    ASSERT_TRUE(web::ReadDataFile(text, "tiles/0/1_2", payload.bytes.size(), back));
    std::vector<std::uint16_t> decoded;
    ASSERT_TRUE(web::ReadHeights(back, 0, 3, 3, decoded));
    EXPECT_EQ(decoded, heights);
    EXPECT_FALSE(web::ReadDataFile(text, "tiles/0/1_3", payload.bytes.size(), back));
    EXPECT_FALSE(web::ReadDataFile(text, "tiles/0/1_2", payload.bytes.size() + 1, back));
    std::string damaged = text;
    damaged[40] = damaged[40] == 'A' ? 'B' : 'A';
    EXPECT_FALSE(web::ReadDataFile(damaged, "tiles/0/1_2", payload.bytes.size(), back) &&
                 back == payload.bytes);
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(web::FromBase64("AAE=", bytes));
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0, 1}));
    EXPECT_FALSE(web::FromBase64("AAF=", bytes));  // bits beyond the data
    EXPECT_FALSE(web::FromBase64("A=AA", bytes));
}

}  // namespace
