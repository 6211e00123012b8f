// The sector store under tight caps: it never holds more bytes than it may, never lets go of what
// the frame being drawn uses, loads the nearest of what a frame wants first, and never keeps a
// sector's old version.

#include "world/sector_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {

using world::SectorStore;

const std::size_t Bytes = SectorStore::SectorBytes();

// Loads that stamp each sector's number into its samples. While held, every load waits at its
// start, so that a test decides what is still loading when the frame moves on. Each load checks
// that the store made room for it under its cap.
class Loads {
public:
    SectorStore::Loader Loader() {
        return [this](int sector, HeightmapSamples& samples) {
            std::unique_lock lock(mutex_);
            started_.insert(sector);
            changed_.notify_all();
            changed_.wait(lock, [this] { return !held_; });
            lock.unlock();
            if (store_ != nullptr) {
                EXPECT_LE(store_->ResidentBytes() + Bytes, cap_) << "loading sector " << sector;
            }
            samples.fill(static_cast<std::uint16_t>(sector));
            return true;
        };
    }
    void Watch(const SectorStore& store, std::size_t cap) {
        store_ = &store;
        cap_ = cap;
    }
    void Hold() {
        const std::lock_guard lock(mutex_);
        held_ = true;
    }
    void Release() {
        {
            const std::lock_guard lock(mutex_);
            held_ = false;
        }
        changed_.notify_all();
    }
    // The sectors whose loads have started, once there are at least `count` (or after a long
    // while, so that a store that never loads fails rather than hangs).
    std::set<int> WaitForStarts(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(20), [&] { return started_.size() >= count; });
        return started_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::set<int> started_;
    bool held_ = false;
    const SectorStore* store_ = nullptr;
    std::size_t cap_ = 0;
};

// Lets held loads go before the store, which waits for its threads, is destroyed.
struct ReleaseAtExit {
    Loads& loads;
    ~ReleaseAtExit() { loads.Release(); }
};

bool Resident(SectorStore& store, int sector) {
    const auto found = store.Find(sector);
    return found && found->samples[0] == sector;
}

// A flight over a world of 12 x 12 sectors, each frame drawing the sectors within a radius of
// the camera and asking for those it lacks; some frames want more than the cap holds.
TEST(SectorStoreTest, FlyingStaysUnderTheCapKeepsWhatTheFrameDrawsAndLoadsTheNearest) {
    constexpr int Side = 12;
    constexpr std::size_t Cap = 10;
    Loads loads;
    SectorStore store(Cap * Bytes, loads.Loader());
    loads.Watch(store, Cap * Bytes);
    std::mt19937 random(11);
    std::uniform_real_distribution<double> turn(-0.6, 0.6);
    double x = 3.0;
    double y = 3.0;
    double heading = 0.3;
    for (int frame = 0; frame < 90; ++frame) {
        heading += turn(random);
        x = std::clamp(x + 0.45 * std::cos(heading), 0.0, double{Side});
        y = std::clamp(y + 0.45 * std::sin(heading), 0.0, double{Side});
        const double radius = 1.1 + frame % 3;
        store.BeginFrame();
        std::vector<int> drawn;
        std::vector<std::pair<double, int>> missing;
        for (int a = 0; a < Side; ++a) {
            for (int b = 0; b < Side; ++b) {
                const double distance = std::hypot(a + 0.5 - x, b + 0.5 - y);
                if (distance > radius) {
                    continue;
                }
                if (Resident(store, a * Side + b)) {
                    drawn.push_back(a * Side + b);
                } else {
                    missing.emplace_back(distance, a * Side + b);
                }
            }
        }
        store.Want(missing);
        store.WaitUntilIdle();
        ASSERT_LE(store.ResidentBytes(), Cap * Bytes) << "frame " << frame;
        for (const int sector : drawn) {
            ASSERT_TRUE(Resident(store, sector)) << "frame " << frame << " drew " << sector;
        }
        // Whatever room the drawn sectors leave goes to the nearest of the rest.
        std::sort(missing.begin(), missing.end());
        const std::size_t room = std::min(missing.size(), Cap - drawn.size());
        for (std::size_t k = 0; k < room; ++k) {
            ASSERT_TRUE(Resident(store, missing[k].second))
                << "frame " << frame << ": the " << k << "th nearest wanted";
        }
    }
}

// Loads queued by a frame may still run while the next frame finds what it draws: they make
// room by dropping what no frame uses, never what this one does.
TEST(SectorStoreTest, LoadsQueuedBeforeTheFrameFoundItsSectorsNeverDropThem) {
    Loads loads;
    SectorStore store(5 * Bytes, loads.Loader());
    const ReleaseAtExit release{loads};
    store.Want({{1.0, 0}});
    store.WaitUntilIdle();

    // Four loads ahead of the last one (the store has at most four threads), all held until
    // the frame has found sector 0.
    loads.Hold();
    store.BeginFrame();
    store.Want({{1.0, 1}, {2.0, 2}, {3.0, 3}, {4.0, 4}, {5.0, 5}});
    ASSERT_TRUE(Resident(store, 0));
    loads.Release();
    store.WaitUntilIdle();
    for (int sector = 0; sector <= 4; ++sector) {
        EXPECT_TRUE(Resident(store, sector)) << sector;
    }
    EXPECT_FALSE(Resident(store, 5)) << "no room for it beside what the frame uses";
    EXPECT_EQ(store.ResidentBytes(), 5 * Bytes);
}

// A full cache and a frame that wants two new sectors at once, loading side by side on two of
// the store's threads: each load makes its own room.
TEST(SectorStoreTest, LoadsSideBySideEachMakeRoomInAFullCache) {
    Loads loads;
    SectorStore store(3 * Bytes, loads.Loader());
    const ReleaseAtExit release{loads};
    store.Want({{1.0, 0}, {2.0, 1}, {3.0, 2}});
    store.WaitUntilIdle();
    loads.Hold();
    store.BeginFrame();
    store.Want({{1.0, 3}, {2.0, 4}});
    EXPECT_EQ(loads.WaitForStarts(5), (std::set<int>{0, 1, 2, 3, 4}));
    loads.Release();
    store.WaitUntilIdle();
    EXPECT_TRUE(Resident(store, 3));
    EXPECT_TRUE(Resident(store, 4));
    EXPECT_EQ(store.ResidentBytes(), 3 * Bytes);
}

// The game rewrites a sector while its old file is being read: what was read is not kept, and
// the sector loads again in its new version.
TEST(SectorStoreTest, ASectorRewrittenWhileItLoadsComesBackInItsNewVersion) {
    Loads loads;
    SectorStore store(3 * Bytes, loads.Loader());
    const ReleaseAtExit release{loads};
    loads.Hold();
    store.Want({{1.0, 0}});
    ASSERT_EQ(loads.WaitForStarts(1), std::set<int>{0});
    store.Forget(0, 1);
    loads.Release();
    store.WaitUntilIdle();
    EXPECT_FALSE(store.Find(0)) << "the old version was kept";
    store.BeginFrame();
    store.Want({{1.0, 0}});
    store.WaitUntilIdle();
    const auto loaded = store.Find(0);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->version, 1u);
}

TEST(SectorStoreTest, TheSectorSeenLeastRecentlyGoesFirst) {
    Loads loads;
    SectorStore store(3 * Bytes, loads.Loader());
    store.Want({{1.0, 0}, {2.0, 1}, {3.0, 2}});
    store.WaitUntilIdle();
    store.BeginFrame();
    ASSERT_TRUE(Resident(store, 0));
    ASSERT_TRUE(Resident(store, 1));
    store.BeginFrame();
    ASSERT_TRUE(Resident(store, 0));
    store.Want({{1.0, 3}});
    store.WaitUntilIdle();
    EXPECT_FALSE(Resident(store, 2)) << "seen two frames ago";
    EXPECT_TRUE(Resident(store, 1)) << "seen one frame ago";
    EXPECT_TRUE(Resident(store, 0));
    EXPECT_TRUE(Resident(store, 3));
}

// However many threads the store loads on (at most four), the loads that start first are those
// of the nearest sectors, in whatever order they were asked for.
TEST(SectorStoreTest, TheNearestWantedLoadFirst) {
    std::vector<std::pair<double, int>> wanted;
    for (int sector = 0; sector < 12; ++sector) {
        wanted.emplace_back(1260.0 * (sector + 1), sector);
    }
    std::shuffle(wanted.begin(), wanted.end(), std::mt19937(5));
    Loads loads;
    SectorStore store(20 * Bytes, loads.Loader());
    const ReleaseAtExit release{loads};
    loads.Hold();
    store.Want(wanted);
    for (const int sector : loads.WaitForStarts(2)) {
        EXPECT_LT(sector, 4) << "started before nearer sectors";
    }
    loads.Release();
    store.WaitUntilIdle();
    for (int sector = 0; sector < 12; ++sector) {
        EXPECT_TRUE(Resident(store, sector)) << sector;
    }
}

}  // namespace
