#pragma once
// A world's model made on a thread of its own, so that the window stays responsive through the
// first pass: it starts watching the world's terrain folder (so nothing written while it loads
// is missed), lists the world's sectors, then summarises them (from the summary cache where it
// can). The window asks how far it is and takes the model and the watch once it is done.

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "world/terrain_watch.h"
#include "world/world_model.h"
#include "world_view/sector_reports.h"

namespace world_view {

class WorldLoader {
public:
    // Starts at once. Sectors found unreadable, now or later through the model's change hooks,
    // go to `reports`. `finished` is called on the loader's thread when it is done.
    WorldLoader(std::filesystem::path terrain, std::size_t cacheBytes,
                std::shared_ptr<SectorReports> reports, std::function<void()> finished = {});
    // Stops the first pass at its next sector and waits for it.
    ~WorldLoader();
    WorldLoader(const WorldLoader&) = delete;
    WorldLoader& operator=(const WorldLoader&) = delete;

    // Asks the first pass to stop at its next sector (a world no longer wanted); Finished()
    // comes soon after, with no model.
    void Stop() { thread_.request_stop(); }

    std::size_t Done() const { return counts_->done; }
    std::size_t Total() const { return counts_->total; }
    bool Finished() const { return finished_; }

    // Once finished: the model, or null with Failure() saying why (no sector to place, no
    // terrain folder).
    std::unique_ptr<world::WorldModel> TakeModel();
    std::unique_ptr<world::TerrainWatch> TakeWatch();
    const std::string& Failure() const { return failure_; }

private:
    std::filesystem::path terrain_;
    std::size_t cacheBytes_;
    std::shared_ptr<SectorReports> reports_;
    std::function<void()> finishedHandler_;
    // Shared with the model's progress handler, which the model keeps.
    struct Counts {
        std::atomic<std::size_t> done{0};
        std::atomic<std::size_t> total{0};
    };
    std::shared_ptr<Counts> counts_ = std::make_shared<Counts>();
    std::atomic<bool> finished_{false};
    // Written by the thread before `finished_`, read after it.
    std::unique_ptr<world::WorldModel> model_;
    std::unique_ptr<world::TerrainWatch> watch_;
    std::string failure_;
    std::jthread thread_;
};

}  // namespace world_view
