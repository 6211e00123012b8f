#pragma once
// A served site that follows the game: the world's terrain folder is watched (the watch
// velmora-world keeps), a burst of the game's writes is taken as one batch, the site is brought
// up to date for it and the pages listening are told which places changed. Files the new index
// no longer names are removed a while later, when pages that loaded the old one moved on.

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "web/serve/server.h"

namespace web::serve {

// What an update did: the site's new version, the sectors that changed, the files to remove
// later.
struct SiteUpdate {
    std::uint64_t version = 0;
    std::vector<std::string> sectors;
    std::vector<std::string> superseded;
};

class LiveSite {
public:
    using Clock = std::chrono::steady_clock;
    // A burst of writes ends when the folder has been quiet this long.
    static constexpr std::chrono::milliseconds QuietFor{150};
    // Superseded files stay this long.
    static constexpr std::chrono::seconds KeepFor{30};

    // Watches `terrain` from now on; `update` brings the site in `site` up to date (it may
    // throw std::exception: said on stderr, tried again at the next change).
    LiveSite(std::filesystem::path terrain, std::filesystem::path site,
             std::function<SiteUpdate()> update, Server& server);
    ~LiveSite();
    LiveSite(const LiveSite&) = delete;
    LiveSite& operator=(const LiveSite&) = delete;

private:
    void Run(std::stop_token stop);

    std::filesystem::path terrain_;
    std::filesystem::path site_;
    std::function<SiteUpdate()> update_;
    Server& server_;
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::jthread thread_;
};

// The data of an update event: {"version":N,"sectors":["1_2",...]}.
std::string UpdateEventData(const SiteUpdate& update);

}  // namespace web::serve
