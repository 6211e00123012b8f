// How the served site follows the game, seen from the server's side: a burst of writes is one
// update, made once the folder is quiet; files the update superseded stay for the pages that
// still read the old index; and the terrain folder is followed again after the game removed it
// and wrote it anew.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "support/temporary_prefix.h"
#include "web/serve/live_site.h"
#include "world/world_files.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using web::serve::SiteUpdate;

// A server that only remembers what it was asked to announce.
class AnnouncementLog final : public web::serve::Server {
public:
    void Open(const fs::path&) override {}
    std::uint16_t Port() const override { return 0; }
    void Announce(const std::string& name, const std::string&) override {
        const std::lock_guard lock(mutex_);
        names_.push_back(name);
    }
    std::size_t Count() {
        const std::lock_guard lock(mutex_);
        return names_.size();
    }

private:
    std::mutex mutex_;
    std::vector<std::string> names_;
};

template <typename Condition>
bool Eventually(Condition holds, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!holds()) {
        if (Clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

class LiveSiteFollowTest : public testing::Test {
protected:
    LiveSiteFollowTest() { fs::create_directories(terrain); }

    // Starts following; each update reports one changed sector and supersedes `superseded`.
    void Follow(std::vector<std::string> superseded = {}) {
        live = std::make_unique<web::serve::LiveSite>(
            terrain, site,
            [this, superseded] {
                updatedAt.push_back(Clock::now());
                ++updates;
                return SiteUpdate{static_cast<std::uint64_t>(updates.load()), {"0_0"}, superseded};
            },
            server);
        // The watch starts on the live site's own thread: written until it is seen once.
        for (int tries = 0; tries < 10 && updates == 0; ++tries) {
            world_test::WriteSector(terrain, "0_0", world_test::Rolling(0, 0));
            Eventually([&] { return updates > 0; }, std::chrono::seconds(1));
        }
        EXPECT_GT(updates, 0);
    }

    TemporaryDirectory folder;
    fs::path terrain = folder.path() / "world" / "terrain";
    fs::path site = folder.path() / "site";
    AnnouncementLog server;
    std::atomic<int> updates{0};
    std::vector<Clock::time_point> updatedAt;  // written by the live site's thread alone
    std::unique_ptr<web::serve::LiveSite> live;
};

TEST_F(LiveSiteFollowTest, ABurstOfWritesIsOneUpdateMadeOnceTheFolderIsQuiet) {
    Follow();
    ASSERT_TRUE(Eventually([&] { return server.Count() == 1; }, std::chrono::seconds(3)));
    const int before = updates;
    // The game writes for over half a second, never quiet for as long as a burst's end.
    Clock::time_point lastWrite;
    for (int k = 0; k < 12; ++k) {
        world_test::WriteSector(terrain, k % 2 ? "0_0" : "1_0", world_test::Rolling(k % 2, 0));
        lastWrite = Clock::now();
        std::this_thread::sleep_for(web::serve::LiveSite::QuietFor / 3);
    }
    ASSERT_TRUE(Eventually([&] { return updates > before; }, std::chrono::seconds(3)));
    std::this_thread::sleep_for(web::serve::LiveSite::QuietFor * 3);
    live.reset();
    EXPECT_EQ(updates, before + 1);
    EXPECT_GE(updatedAt.back(), lastWrite + web::serve::LiveSite::QuietFor);
    EXPECT_EQ(server.Count(), 2u);
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
    ASSERT_TRUE(Eventually([&] { return updates > before; }, std::chrono::seconds(5)));
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const int after = updates;
    world_test::WriteSector(terrain, "3_0", world_test::Rolling(3, 0));
    EXPECT_TRUE(Eventually([&] { return updates > after; }, std::chrono::seconds(5)));
    live.reset();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("is gone"), std::string::npos) << said;
    EXPECT_NE(said.find("following it again"), std::string::npos) << said;
}

}  // namespace
