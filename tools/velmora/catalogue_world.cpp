#include "catalogue_world.h"

#include <chrono>
#include <cstdio>
#include <limits>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "catalogue_session.h"
#include "command.h"
#include "progress_line.h"
#include "world/summary_file.h"
#include "world_layout.h"

struct CatalogueWorld::Reports {
    struct Unreadable {
        std::string path;
        std::string reason;
    };
    std::mutex mutex;
    std::vector<Unreadable> unreadable;
    // The first pass reads summaries on several threads; one line shows how far it is.
    std::optional<ProgressLine> progress;
};

namespace {

// Rounds of waiting in which the missing sectors did not become fewer before giving up on them.
constexpr int StalledRounds = 3;
// Unreadable sectors named one a line; the rest are counted in one line at the end.
constexpr std::size_t NamedUnreadable = 5;

}  // namespace

CatalogueWorld::CatalogueWorld(const std::string& requested, std::size_t cacheBytes,
                               bool skipUnreadable, std::string command)
    : command_(std::move(command)),
      skipUnreadable_(skipUnreadable),
      reports_(std::make_shared<Reports>()) {
    std::vector<world::SectorSource> sources;
    {
        CatalogueSession session;
        const std::string world = session.ResolveWorld(requested);
        sources = SectorSourcesOf(session.SectorFiles(world));
    }
    world::ModelOptions options;
    options.cacheBytes = cacheBytes;
    options.summaryFolder = world::DefaultSummaryFolder();
    options.unreadable = [reports = reports_](const std::string&, const std::string& path,
                                              const std::string& reason) {
        const std::lock_guard lock(reports->mutex);
        reports->unreadable.push_back({PrintableName(path), reason});
    };
    options.progress = [reports = reports_, label = command_ + ": world summary,"](
                           std::size_t done, std::size_t total) {
        const std::lock_guard lock(reports->mutex);
        if (!reports->progress) {
            reports->progress.emplace(label, total);
        }
        reports->progress->Update(done);
    };
    try {
        model_ = std::make_unique<world::WorldModel>(std::move(sources), std::move(options));
    } catch (const std::runtime_error& error) {
        throw CommandFailure(ExitFailure, error.what());
    }
    reports_->progress.reset();
    SayUnplaced(command_, model_->Unplaced());
    if (!model_->SharedPlaces().empty()) {
        std::string names;
        for (const world::SharedPlace& shared : model_->SharedPlaces()) {
            names += (names.empty() ? "" : ", ") + PrintableName(shared.name) + " (" +
                     PrintableName(shared.drawn) + " is drawn there)";
        }
        std::fprintf(stderr, "velmora %s: sectors whose place another name gives, left out: %s\n",
                     command_.c_str(), names.c_str());
    }
    CheckUnreadable();
}

CatalogueWorld::~CatalogueWorld() = default;

void CatalogueWorld::CheckUnreadable() {
    std::vector<Reports::Unreadable> found;
    {
        const std::lock_guard lock(reports_->mutex);
        found.swap(reports_->unreadable);
    }
    for (const Reports::Unreadable& sector : found) {
        const std::string what = "cannot read " + sector.path + ": " + sector.reason;
        if (!skipUnreadable_) {
            throw CommandFailure(ExitFailure, what + " (--skip-unreadable draws it as a hole)");
        }
        if (namedUnreadable_ < NamedUnreadable) {
            std::fprintf(stderr, "velmora %s: %s; drawn as a hole\n", command_.c_str(),
                         what.c_str());
            ++namedUnreadable_;
        } else {
            ++unnamedUnreadable_;
        }
    }
}

void CatalogueWorld::ReportRemaining() {
    CheckUnreadable();
    if (unnamedUnreadable_ > 0) {
        std::fprintf(stderr, "velmora %s: %zu more unreadable %s drawn as holes\n",
                     command_.c_str(), unnamedUnreadable_,
                     unnamedUnreadable_ == 1 ? "sector" : "sectors");
        unnamedUnreadable_ = 0;
    }
}

world::FrameSelection CatalogueWorld::SelectSettled(const world::Camera& camera, int width,
                                                    int height, double maxErrorPixels,
                                                    double* waited) {
    std::size_t fewest = std::numeric_limits<std::size_t>::max();
    int stalled = 0;
    for (;;) {
        world::FrameSelection frame = model_->Select(camera, width, height, maxErrorPixels);
        CheckUnreadable();
        if (frame.missingSectors == 0) {
            return frame;
        }
        if (frame.missingSectors < fewest) {
            fewest = frame.missingSectors;
            stalled = 0;
        } else if (++stalled >= StalledRounds) {
            if (!warnedCache_) {
                std::fprintf(stderr,
                             "velmora %s: %zu sectors in view do not fit the terrain cache; "
                             "drawn coarser (a larger --cache-mb draws them in full)\n",
                             command_.c_str(), frame.missingSectors);
                warnedCache_ = true;
            }
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
