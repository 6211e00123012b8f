#pragma once
// The sectors' full samples, loaded on background threads, nearest wanted first, and kept under
// a byte budget: when it is full, the sector seen least recently goes first, and a sector the
// current frame uses never goes.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <unordered_map>
#include <vector>

#include "terrain/heightmap_samples.h"

namespace world {

// One sector's samples, and the levels of detail built from them, one per level index.
struct ResidentSector {
    HeightmapSamples samples;
    std::uint64_t version = 0;
    std::vector<std::shared_ptr<const std::vector<std::uint16_t>>> levels;
};

class SectorStore {
public:
    // load(sector, samples) reads a sector; false when it cannot, and then the sector is not
    // asked for again until Forget.
    using Loader = std::function<bool(int sector, HeightmapSamples& samples)>;
    SectorStore(std::size_t budgetBytes, Loader load);
    ~SectorStore();
    SectorStore(const SectorStore&) = delete;
    SectorStore& operator=(const SectorStore&) = delete;

    // What one resident sector costs: its samples and every level built from them.
    static std::size_t SectorBytes();

    // Starts a frame: sectors looked up from now on are this frame's and are not evicted.
    void BeginFrame();
    // The sector's samples when resident (and marks it seen), else null.
    std::shared_ptr<ResidentSector> Find(int sector);
    // Replaces the sectors waiting to load by these, nearest (smallest distance) first, as many
    // as the budget holds beside this frame's; returns how many are now waiting or loading.
    std::size_t Want(std::vector<std::pair<double, int>> wanted);
    // Blocks until nothing waits or loads.
    void WaitUntilIdle();
    // Drops a sector's samples (its file changed or vanished) and any refusal to load it.
    void Forget(int sector, std::uint64_t version);
    std::size_t ResidentBytes() const;

private:
    void Work();
    void EvictFor(std::size_t bytes);  // with the lock held

    std::size_t budget_;
    Loader load_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    struct Entry {
        std::shared_ptr<ResidentSector> sector;
        std::uint64_t lastSeen = 0;
    };
    std::unordered_map<int, Entry> resident_;
    std::unordered_map<int, std::uint64_t> versions_;
    std::set<int> failed_;
    std::vector<int> queue_;  // nearest last
    std::set<int> loading_;
    std::uint64_t frame_ = 1;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace world
