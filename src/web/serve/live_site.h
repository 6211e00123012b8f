#pragma once
// A served site that follows the game: each world's terrain folder is watched (the watch
// velmora-world keeps) and the list of worlds looked at now and then, a burst of the game's
// writes is taken as one batch, the site is brought up to date for it and the pages listening
// are told which worlds and places changed. Files the new index
// no longer names are removed a while later, when pages that loaded the old one moved on.

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "web/serve/server.h"

namespace web::serve {

// What an update did: the site's new version, by world the sectors that changed (a world that
// came or went named too), the files to remove later, and the terrain folders to watch now
// (none: those watched before).
struct SiteUpdate {
    std::uint64_t version = 0;
    std::map<std::string, std::vector<std::string>> changes;
    std::vector<std::string> superseded;
    std::vector<std::filesystem::path> terrains;
};

class LiveSite {
public:
    using Clock = std::chrono::steady_clock;
    // A burst of writes ends when the folder has been quiet this long.
    static constexpr std::chrono::milliseconds QuietFor{150};
    // Superseded files stay this long.
    static constexpr std::chrono::seconds KeepFor{30};
    // The list of worlds is looked at this often.
    static constexpr std::chrono::seconds WorldsEvery{2};

    // Watches `terrains` from now on; `update` brings the site in `site` up to date (it may
    // throw std::exception: said on stderr, tried again at the next change); `worldsMoved`
    // says whether a world came or went since the last update.
    LiveSite(std::vector<std::filesystem::path> terrains, std::filesystem::path site,
             std::function<SiteUpdate()> update, std::function<bool()> worldsMoved, Server& server);
    ~LiveSite();
    LiveSite(const LiveSite&) = delete;
    LiveSite& operator=(const LiveSite&) = delete;

private:
    void Run(std::stop_token stop);

    std::vector<std::filesystem::path> terrains_;
    std::filesystem::path site_;
    std::function<SiteUpdate()> update_;
    std::function<bool()> worldsMoved_;
    Server& server_;
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::jthread thread_;
};

// The data of an update event: {"version":N,"worlds":{"NAME":["1_2",...],...}}.
std::string UpdateEventData(const SiteUpdate& update);

}  // namespace web::serve
