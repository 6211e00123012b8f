#include "world_view/world_loader.h"

#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

#include "world/game_worlds.h"
#include "world/summary_file.h"

namespace world_view {

WorldLoader::WorldLoader(std::filesystem::path terrain, std::size_t cacheBytes,
                         std::shared_ptr<SectorReports> reports, std::function<void()> finished)
    : terrain_(std::move(terrain)),
      cacheBytes_(cacheBytes),
      reports_(std::move(reports)),
      finishedHandler_(std::move(finished)) {
    thread_ = std::jthread([this](std::stop_token stop) {
        watch_ = std::make_unique<world::TerrainWatch>(terrain_);
        std::error_code error;
        std::vector<world::SectorSource> sources;
        if (!std::filesystem::is_directory(terrain_, error)) {
            failure_ = "it has no terrain folder";
        } else {
            sources = world::ListSectors(terrain_);
            counts_->total = sources.size();
            world::ModelOptions options;
            options.cacheBytes = cacheBytes_;
            options.summaryFolder = world::DefaultSummaryFolder();
            options.unreadable = [reports = reports_](const std::string& name,
                                                      const std::string& path,
                                                      const std::string& reason) {
                reports->Add({name, path, reason});
            };
            options.progress = [counts = counts_](std::size_t done, std::size_t total) {
                counts->total = total;
                counts->done = done;
            };
            options.stop = stop;
            try {
                model_ = std::make_unique<world::WorldModel>(std::move(sources), options);
            } catch (const std::exception&) {
                failure_ = "it has no terrain yet";
            }
        }
        finished_ = true;
        if (finishedHandler_) {
            finishedHandler_();
        }
    });
}

WorldLoader::~WorldLoader() = default;

std::unique_ptr<world::WorldModel> WorldLoader::TakeModel() {
    return finished_ ? std::move(model_) : nullptr;
}

std::unique_ptr<world::TerrainWatch> WorldLoader::TakeWatch() {
    return finished_ ? std::move(watch_) : nullptr;
}

}  // namespace world_view
