#include "web/serve/live_site.h"

#include <cstdio>
#include <deque>
#include <memory>
#include <nlohmann/json.hpp>

#include "web/site_writer.h"
#include "world/terrain_watch.h"

namespace web::serve {

namespace {

constexpr std::chrono::milliseconds PollEvery{100};

}  // namespace

std::string UpdateEventData(const SiteUpdate& update) {
    const nlohmann::json data = {{"version", update.version}, {"sectors", update.sectors}};
    return data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

LiveSite::LiveSite(std::filesystem::path terrain, std::filesystem::path site,
                   std::function<SiteUpdate()> update, Server& server)
    : terrain_(std::move(terrain)),
      site_(std::move(site)),
      update_(std::move(update)),
      server_(server),
      thread_([this](std::stop_token stop) { Run(stop); }) {}

LiveSite::~LiveSite() {
    thread_.request_stop();
    wake_.notify_all();
}

void LiveSite::Run(std::stop_token stop) {
    auto watch = std::make_unique<world::TerrainWatch>(terrain_);
    std::deque<std::pair<Clock::time_point, std::vector<std::string>>> retired;
    std::size_t pending = 0;
    Clock::time_point lastChange;
    std::unique_lock lock(mutex_);
    while (!stop.stop_requested()) {
        wake_.wait_for(lock, stop, PollEvery, [] { return false; });
        const Clock::time_point now = Clock::now();
        if (!watch) {
            // The terrain folder went (the game cleared its cache): watched again once it is
            // back, and what was written meanwhile taken in at once.
            std::error_code error;
            if (std::filesystem::is_directory(terrain_, error)) {
                watch = std::make_unique<world::TerrainWatch>(terrain_);
                std::fprintf(stderr, "velmora serve: %s is back; following it again\n",
                             terrain_.string().c_str());
                ++pending;
                lastChange = now;
            }
        }
        std::vector<world::TerrainChange> changes;
        if (watch) {
            changes = watch->Poll(now);
        }
        for (const world::TerrainChange& change : changes) {
            if (change.kind == world::TerrainChange::Kind::WorldGone) {
                std::fprintf(stderr,
                             "velmora serve: %s is gone; the site follows it again when it "
                             "comes back\n",
                             terrain_.string().c_str());
                watch.reset();
            }
        }
        if (!changes.empty()) {
            pending += changes.size();
            lastChange = now;
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
            if (!update.sectors.empty()) {
                server_.Announce("update", UpdateEventData(update));
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
