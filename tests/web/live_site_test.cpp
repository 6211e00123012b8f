// The served site as it follows the game, seen from the server's side. The update event is one
// line of JSON with the site's version and, by world, the sectors that changed, which pages
// parse. A burst of the game's writes is one update, made once the folder is quiet, and told
// only when it changed something (not for one that changed nothing or failed); files an update
// superseded stay for the pages that still read the old index; a terrain folder is followed
// again after the game removed it and wrote it anew; and a world that comes is followed too.

#include "web/serve/live_site.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/temporary_prefix.h"
#include "support/wait_until.h"
#include "world/world_files.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using web::serve::SiteUpdate;
using web::serve::UpdateEventData;

TEST(LiveSiteTest, AnUpdateEventIsOneLineOfJsonWithTheVersionAndTheSectors) {
    const SiteUpdate updates[] = {
        {1, {{"East", {"0_0"}}}, {}, {}},
        {42, {{"East", {"1_2", "-3_40", "10_-1"}}, {"gone", {}}}, {"data/tiles/0/0_0.v3.js"}, {}},
        {std::uint64_t{1} << 40, {{"a b", {"2_2"}}}, {}, {}},
        // Names from the disk are not ours to trust: quoted, and bytes that are no UTF-8.
        {7, {{"w\n", {"a\"b\nc", std::string("\xff\xfe_1", 4)}}}, {}, {}},
    };
    for (const SiteUpdate& update : updates) {
        const std::string data = UpdateEventData(update);
        EXPECT_EQ(data.find_first_of("\r\n"), std::string::npos) << data;
        const nlohmann::json parsed = nlohmann::json::parse(data, nullptr, false);
        ASSERT_TRUE(parsed.is_object()) << data;
        EXPECT_EQ(parsed.size(), 2u) << data << ": the files to remove are the server's own";
        ASSERT_TRUE(parsed.contains("version") && parsed["version"].is_number_unsigned()) << data;
        EXPECT_EQ(parsed["version"].get<std::uint64_t>(), update.version);
        ASSERT_TRUE(parsed.contains("worlds") && parsed["worlds"].is_object()) << data;
        ASSERT_EQ(parsed["worlds"].size(), update.changes.size()) << data;
        if (update.version != 7) {
            EXPECT_EQ((parsed["worlds"].get<std::map<std::string, std::vector<std::string>>>()),
                      update.changes);
        }
    }
}

// A server that only remembers the events it was asked to send.
class AnnouncementLog final : public web::serve::Server {
public:
    void Open(const fs::path&) override {}
    std::uint16_t Port() const override { return 0; }
    void Announce(const std::string& name, const std::string& data) override {
        const std::lock_guard lock(mutex_);
        events_.push_back("event: " + name + "\ndata: " + data);
    }
    std::vector<std::string> Events() {
        const std::lock_guard lock(mutex_);
        return events_;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> events_;
};

class LiveSiteFollowTest : public testing::Test {
protected:
    LiveSiteFollowTest() { fs::create_directories(terrain); }

    // Starts following with `update`, counting its calls.
    void Follow(std::function<SiteUpdate()> update, std::function<bool()> worldsMoved = {}) {
        live = std::make_unique<web::serve::LiveSite>(
            std::vector<fs::path>{terrain}, site,
            [this, update] {
                updatedAt.push_back(Clock::now());
                ++updates;
                return update();
            },
            std::move(worldsMoved), server);
    }
    // Follows with updates that each change one sector and supersede `superseded`, and waits
    // for the first.
    void Follow(std::vector<std::string> superseded = {}) {
        Follow([this, superseded] {
            return SiteUpdate{
                static_cast<std::uint64_t>(updates.load()), {{"East", {"0_0"}}}, superseded, {}};
        });
        EXPECT_TRUE(WriteUntilUpdated());
    }

    // Writes a sector, as the game does, until the site has been updated once more (the watch
    // starts on the live site's own thread, perhaps after a first write).
    bool WriteUntilUpdated() {
        const int before = updates;
        for (int tries = 0; tries < 10 && updates == before; ++tries) {
            world_test::WriteSector(terrain, "0_0", world_test::Rolling(0, 0));
            WaitUntil([&] { return updates > before; }, 1.0);
        }
        return updates > before;
    }

    TemporaryDirectory folder;
    fs::path terrain = folder.path() / "world" / "terrain";
    fs::path site = folder.path() / "site";
    AnnouncementLog server;
    std::atomic<int> updates{0};
    std::vector<Clock::time_point> updatedAt;  // written by the live site's thread alone
    std::unique_ptr<web::serve::LiveSite> live;
};

TEST_F(LiveSiteFollowTest, OnlyABatchThatChangedSectorsIsTold) {
    // The first update fails, the second changes no sector, the third changes two.
    const SiteUpdate changed{3, {{"East", {"0_0", "1_0"}}}, {}, {}};
    Follow([this, &changed] {
        if (updates == 1) {
            throw std::runtime_error("the disk is full");
        }
        return updates == 2 ? SiteUpdate{2, {}, {}, {}} : changed;
    });
    testing::internal::CaptureStderr();
    const bool failed = WriteUntilUpdated();
    // The next update begins once the failed one was said, on the same thread.
    const bool unchanged = WriteUntilUpdated();
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(failed && unchanged) << "no update after the game's writes";
    EXPECT_NE(said.find("the disk is full"), std::string::npos) << said;
    ASSERT_TRUE(WriteUntilUpdated());
    live.reset();
    EXPECT_EQ(server.Events(),
              std::vector<std::string>{"event: update\ndata: " + UpdateEventData(changed)});
}

TEST_F(LiveSiteFollowTest, ABurstOfWritesIsOneUpdateMadeOnceTheFolderIsQuiet) {
    Follow();
    ASSERT_TRUE(WaitUntil([&] { return server.Events().size() == 1; }, 3.0));
    const int before = updates;
    // The game writes for over half a second, never quiet for as long as a burst's end.
    Clock::time_point lastWrite;
    for (int k = 0; k < 12; ++k) {
        world_test::WriteSector(terrain, k % 2 ? "0_0" : "1_0", world_test::Rolling(k % 2, 0));
        lastWrite = Clock::now();
        std::this_thread::sleep_for(web::serve::LiveSite::QuietFor / 3);
    }
    ASSERT_TRUE(WaitUntil([&] { return updates > before; }, 3.0));
    std::this_thread::sleep_for(web::serve::LiveSite::QuietFor * 3);
    live.reset();
    EXPECT_EQ(updates, before + 1);
    EXPECT_GE(updatedAt.back(), lastWrite + web::serve::LiveSite::QuietFor);
    EXPECT_EQ(server.Events().size(), 2u);
}

TEST_F(LiveSiteFollowTest, SupersededFilesStayForOpenPagesAndGoWhenTheServerStops) {
    WriteFile(site / "data" / "tiles" / "0" / "0_0.v1.js", "old\n");
    WriteFile(site / "data" / "mine.v1.js", "a file the update never named\n");
    Follow({"data/tiles/0/0_0.v1.js"});
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(fs::exists(site / "data" / "tiles" / "0" / "0_0.v1.js"))
        << "removed under the pages that loaded the old index";
    live.reset();
    EXPECT_FALSE(fs::exists(site / "data" / "tiles" / "0" / "0_0.v1.js"));
    EXPECT_TRUE(fs::exists(site / "data" / "mine.v1.js"));
}

TEST_F(LiveSiteFollowTest, TheTerrainFolderIsFollowedAgainOnceTheGameWritesItAnew) {
    Follow();
    testing::internal::CaptureStderr();
    fs::remove_all(terrain);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const int before = updates;
    fs::create_directories(terrain);
    // Written anew: a sector there is taken in, and so is one written after it.
    world_test::WriteSector(terrain, "2_0", world_test::Rolling(2, 0));
    ASSERT_TRUE(WaitUntil([&] { return updates > before; }, 5.0));
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const int after = updates;
    world_test::WriteSector(terrain, "3_0", world_test::Rolling(3, 0));
    EXPECT_TRUE(WaitUntil([&] { return updates > after; }, 5.0));
    live.reset();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("is gone"), std::string::npos) << said;
    EXPECT_NE(said.find("following it again"), std::string::npos) << said;
}

// A world the game makes is found by looking at the list of worlds: the site is updated for it,
// and its terrain folder, which the update names, is followed from then on.
TEST_F(LiveSiteFollowTest, AWorldThatComesIsUpdatedForAndFollowed) {
    const fs::path north = folder.path() / "north" / "terrain";
    std::atomic<bool> moved{false};
    Follow(
        [&] {
            return SiteUpdate{
                static_cast<std::uint64_t>(updates.load()), {{"North", {}}}, {}, {terrain, north}};
        },
        [&] { return moved.exchange(false); });
    fs::create_directories(north);
    moved = true;
    ASSERT_TRUE(
        WaitUntil([&] { return updates == 1; },
                  std::chrono::duration<double>(web::serve::LiveSite::WorldsEvery).count() + 2.0));
    world_test::WriteSector(north, "0_0", world_test::Rolling(0, 0));
    EXPECT_TRUE(WaitUntil([&] { return updates == 2; }, 5.0));
    live.reset();
    EXPECT_EQ(server.Events().size(), 2u);
}

}  // namespace
