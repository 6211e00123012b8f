#include "headless_catalogue/catalogue_world.h"

#include <chrono>
#include <limits>
#include <mutex>
#include <utility>
#include <vector>

#include "headless_catalogue/catalogue_session.h"
#include "headless_catalogue/sector_sources.h"
#include "world/summary_file.h"

namespace headless_catalogue {

struct CatalogueWorld::Found {
    struct Unreadable {
        std::string path;
        std::string reason;
    };
    std::mutex mutex;
    std::vector<Unreadable> unreadable;
};

namespace {

// Rounds of waiting in which the missing sectors did not become fewer before giving up on them.
constexpr int StalledRounds = 3;

}  // namespace

CatalogueWorld::CatalogueWorld(const std::string& requested, std::size_t cacheBytes,
                               WorldReports reports)
    : reports_(std::move(reports)), found_(std::make_shared<Found>()) {
    std::vector<world::SectorSource> sources;
    {
        CatalogueSession session;
        const std::string world = session.ResolveWorld(requested);
        sources = SectorSourcesOf(session.SectorFiles(world));
    }
    world::ModelOptions options;
    options.cacheBytes = cacheBytes;
    options.summaryFolder = world::DefaultSummaryFolder();
    options.unreadable = [found = found_](const std::string&, const std::string& path,
                                          const std::string& reason) {
        const std::lock_guard lock(found->mutex);
        found->unreadable.push_back({path, reason});
    };
    options.progress = reports_.progress;
    model_ = std::make_unique<world::WorldModel>(std::move(sources), std::move(options));
}

CatalogueWorld::~CatalogueWorld() = default;

void CatalogueWorld::TellUnreadable() {
    std::vector<Found::Unreadable> found;
    {
        const std::lock_guard lock(found_->mutex);
        found.swap(found_->unreadable);
    }
    if (!reports_.unreadable) {
        return;
    }
    for (const Found::Unreadable& sector : found) {
        reports_.unreadable(sector.path, sector.reason);
    }
}

world::FrameSelection CatalogueWorld::SelectSettled(const world::Camera& camera, int width,
                                                    int height, double maxErrorPixels,
                                                    double* waited) {
    std::size_t fewest = std::numeric_limits<std::size_t>::max();
    int stalled = 0;
    for (;;) {
        world::FrameSelection frame = model_->Select(camera, width, height, maxErrorPixels);
        TellUnreadable();
        if (frame.missingSectors == 0) {
            return frame;
        }
        if (frame.missingSectors < fewest) {
            fewest = frame.missingSectors;
            stalled = 0;
        } else if (++stalled >= StalledRounds) {
            if (!toldCache_ && reports_.cacheTooSmall) {
                reports_.cacheTooSmall(frame.missingSectors);
            }
            toldCache_ = true;
            return frame;
        }
        const auto start = std::chrono::steady_clock::now();
        model_->WaitForRequests();
        if (waited != nullptr) {
            *waited +=
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
    }
}

}  // namespace headless_catalogue
