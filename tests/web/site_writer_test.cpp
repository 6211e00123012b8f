// The site's generator on small worlds written here: what its tiles hold, that an update after
// sectors change, go and come beyond the world's box gives the site a fresh build would, writing
// only what they touch, and that no failure or foreign folder costs anyone a file.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "support/file_size_limit.h"
#include "support/temporary_prefix.h"
#include "terrain/grid_constants.h"
#include "web/data_file.h"
#include "web/height_tile.h"
#include "web/site_files.h"
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

    web::SiteReport Site(const fs::path& site, bool force = false) {
        web::SiteOptions options;
        options.pageFiles = page;
        options.leaflet = leaflet;
        options.leafletLicence = folder.path() / "copyright";
        options.force = force;
        std::vector<world::SectorSource> list;
        for (const auto& [name, source] : sources) {
            list.push_back(source);
        }
        return web::WriteSite("Test", std::move(list), site, options);
    }

    // Every data file's payload by key, as its site's record names it, with the file's
    // version.
    static std::map<std::string, std::pair<std::vector<std::uint8_t>, std::uint64_t>> Payloads(
        const fs::path& site) {
        const auto record = web::ParseSiteRecord(ReadText(site / ".velmora-site"));
        EXPECT_TRUE(record.has_value());
        std::map<std::string, std::pair<std::vector<std::uint8_t>, std::uint64_t>> payloads;
        for (const auto& [key, file] :
             record ? record->files : std::map<std::string, web::RecordedFile>{}) {
            const std::string text =
                ReadText(site / ("data/" + key + ".v" + std::to_string(file.version) + ".js"));
            std::vector<std::uint8_t> payload;
            // Sizes differ by kind; inflating to the whole stream's size needs it known, so a
            // tile's is taken and any other is compared as text.
            if (key.starts_with("tiles/")) {
                EXPECT_TRUE(web::ReadDataFile(text, key, web::TilePayloadBytes, payload)) << key;
            } else {
                payload.assign(text.begin(), text.end());
            }
            payloads[key] = {std::move(payload), file.version};
        }
        return payloads;
    }

    TemporaryDirectory folder;
    fs::path terrain = folder.path() / "Testquarlend" / "terrain";
    fs::path page = folder.path() / "page";
    fs::path leaflet = folder.path() / "leaflet";
    std::map<std::string, world::SectorSource> sources;
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
    // column of tiles it starts, and one tile a level above, besides the level tree's chunks.
    EXPECT_LE(rewritten, 16u);
    EXPECT_GE(rewritten, 5u);
    for (const auto& [key, payload] : before) {
        if (after.contains(key) && after.at(key).second == 1) {
            EXPECT_EQ(payload.first, after.at(key).first) << key << " kept";
        }
    }
    // Nothing below data/ but the files world.js names, and world.js itself.
    std::set<std::string> named;
    for (const auto& [key, payload] : after) {
        named.insert("data/" + key + ".v" + std::to_string(payload.second) + ".js");
    }
    named.insert("data/world.js");
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
    // A data file of ours that no record names (a run stopped before removing it) goes; a file
    // of the user's beside it stays.
    WriteFile(site / "data" / "tiles" / "0" / "9_9.v7.js", "left behind");
    WriteFile(site / "data" / "notes.txt", "mine");
    Site(site);
    EXPECT_TRUE(fs::exists(folder.path() / "outside.js"));
    EXPECT_TRUE(fs::exists(site / "notes.txt"));
    EXPECT_FALSE(fs::exists(site / "data" / "tiles" / "0" / "9_9.v7.js"));
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
    const std::string index = ReadText(site / "data" / "world.js");
    std::set<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(site)) {
        files.insert(entry.path());
    }
    Write("5_5", 5, 5);
    signal(SIGXFSZ, SIG_IGN);
    {
        const FileSizeLimit limit(1024);
        EXPECT_THROW(Site(site), web::SiteFileError);
    }
    EXPECT_EQ(ReadText(site / "data" / "world.js"), index);
    std::set<fs::path> now;
    for (const auto& entry : fs::recursive_directory_iterator(site)) {
        now.insert(entry.path());
    }
    EXPECT_EQ(now, files);
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
    record.world = "East";
    record.version = 3;
    record.sectors["1_2"] = {web::SourceStamp{"/w/1_2/h.zdt", 32282, -5}, 2};
    record.files["tiles/0/0_0"] = {3, 17};
    const auto back = web::ParseSiteRecord(web::SerialiseSiteRecord(record));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->sectors.at("1_2").stamp, record.sectors.at("1_2").stamp);
    EXPECT_EQ(back->files.at("tiles/0/0_0").hash, 17u);
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
