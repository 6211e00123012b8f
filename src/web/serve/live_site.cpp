#include "web/serve/live_site.h"

#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>

#include "web/site_writer.h"
#include "world/terrain_watch.h"

namespace web::serve {

namespace {

constexpr std::chrono::milliseconds PollEvery{100};

// A watch of the folder, or none while there is no folder to watch.
std::unique_ptr<world::TerrainWatch> WatchOf(const std::filesystem::path& terrain) {
    std::error_code error;
    return std::filesystem::is_directory(terrain, error)
               ? std::make_unique<world::TerrainWatch>(terrain)
               : nullptr;
}

}  // namespace

std::string UpdateEventData(const SiteUpdate& update) {
    const nlohmann::json data = {{"version", update.version}, {"worlds", update.changes}};
    return data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

LiveSite::LiveSite(std::vector<std::filesystem::path> terrains, std::filesystem::path site,
                   std::function<SiteUpdate()> update, std::function<bool()> worldsMoved,
                   Server& server)
    : terrains_(std::move(terrains)),
      site_(std::move(site)),
      update_(std::move(update)),
      worldsMoved_(std::move(worldsMoved)),
      server_(server),
      thread_([this](std::stop_token stop) { Run(stop); }) {}

LiveSite::~LiveSite() {
    thread_.request_stop();
    wake_.notify_all();
}

void LiveSite::Run(std::stop_token stop) {
    // By terrain folder; null while the folder is gone (the game cleared its cache, or the world
    // has none yet): watched again once it is there, and what was written meanwhile taken in.
    std::map<std::filesystem::path, std::unique_ptr<world::TerrainWatch>> watches;
    for (const std::filesystem::path& terrain : terrains_) {
        watches[terrain] = WatchOf(terrain);
    }
    std::deque<std::pair<Clock::time_point, std::vector<std::string>>> retired;
    std::size_t pending = 0;
    Clock::time_point lastChange;
    Clock::time_point worldsLooked = Clock::now();
    std::unique_lock lock(mutex_);
    while (!stop.stop_requested()) {
        wake_.wait_for(lock, stop, PollEvery, [] { return false; });
        const Clock::time_point now = Clock::now();
        for (auto& [terrain, watch] : watches) {
            if (!watch) {
                if ((watch = WatchOf(terrain))) {
                    std::fprintf(stderr, "velmora serve: %s is back; following it again\n",
                                 terrain.string().c_str());
                    ++pending;
                    lastChange = now;
                }
                continue;
            }
            const std::vector<world::TerrainChange> changes = watch->Poll(now);
            for (const world::TerrainChange& change : changes) {
                if (change.kind == world::TerrainChange::Kind::WorldGone) {
                    std::fprintf(stderr,
                                 "velmora serve: %s is gone; the site follows it again when it "
                                 "comes back\n",
                                 terrain.string().c_str());
                    watch.reset();
                    break;
                }
            }
            if (!changes.empty()) {
                pending += changes.size();
                lastChange = now;
            }
        }
        if (worldsMoved_ && now - worldsLooked >= WorldsEvery) {
            worldsLooked = now;
            if (worldsMoved_()) {
                ++pending;
                lastChange = now;
            }
        }
        while (!retired.empty() && now - retired.front().first > KeepFor) {
            RemoveSuperseded(site_, retired.front().second);
            retired.pop_front();
        }
        if (pending == 0 || now - lastChange < QuietFor) {
            continue;
        }
        pending = 0;
        try {
            SiteUpdate update = update_();
            if (!update.superseded.empty()) {
                retired.emplace_back(now, std::move(update.superseded));
            }
            if (!update.changes.empty()) {
                server_.Announce("update", UpdateEventData(update));
            }
            // Worlds that came are watched from now on; those that went are not.
            std::map<std::filesystem::path, std::unique_ptr<world::TerrainWatch>> kept;
            for (const std::filesystem::path& terrain : update.terrains) {
                auto found = watches.find(terrain);
                kept[terrain] =
                    found != watches.end() ? std::move(found->second) : WatchOf(terrain);
            }
            if (!update.terrains.empty()) {
                watches = std::move(kept);
            }
        } catch (const std::exception& failure) {
            std::fprintf(stderr, "velmora serve: the site could not be brought up to date: %s\n",
                         failure.what());
        }
    }
    for (const auto& [when, files] : retired) {
        RemoveSuperseded(site_, files);
    }
}

}  // namespace web::serve
