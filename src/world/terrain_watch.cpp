#include "world/terrain_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <system_error>
#include <utility>

#include "terrain/grid_constants.h"
#include "world/game_worlds.h"

namespace world {

namespace fs = std::filesystem;

namespace {

constexpr std::uintmax_t WholeHeightmapBytes = HeightmapHeaderSize + HeightmapSampleBytes;

constexpr std::uint32_t FolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                       IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr std::uint32_t SectorEvents =
    IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR;

}  // namespace

TerrainWatch::TerrainWatch(fs::path terrain) : terrain_(std::move(terrain)) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) {
        return;
    }
    terrainWatch_ = inotify_add_watch(fd_, terrain_.c_str(), FolderEvents);
    worldWatch_ =
        inotify_add_watch(fd_, terrain_.parent_path().c_str(),
                          IN_DELETE | IN_MOVED_FROM | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
    if (terrainWatch_ < 0) {
        close(fd_);
        fd_ = -1;
        return;
    }
    // Folders made before the watch began are watched now; their files are already known.
    std::error_code error;
    for (fs::directory_iterator it(terrain_, error), end; !error && it != end;
         it.increment(error)) {
        std::string sector;
        const std::string name = it->path().filename().string();
        if (SectorNameOf(name, sector)) {
            const int watch = inotify_add_watch(fd_, it->path().c_str(), SectorEvents);
            if (watch >= 0) {
                sectorFolders_[watch] = name;
            }
        }
    }
}

TerrainWatch::~TerrainWatch() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

void TerrainWatch::WatchSectorFolder(const std::string& folder, Clock::time_point now) {
    std::string sector;
    if (!SectorNameOf(folder, sector)) {
        return;
    }
    const int watch = inotify_add_watch(fd_, (terrain_ / folder).c_str(), SectorEvents);
    if (watch < 0) {
        return;
    }
    sectorFolders_[watch] = folder;
    // The heightmap may have been written before the watch began.
    const fs::path heightmap = HeightmapIn(terrain_ / folder, sector);
    std::error_code error;
    if (fs::exists(heightmap, error)) {
        HeightmapEvent(folder, heightmap.filename().string(), now);
    }
}

void TerrainWatch::HeightmapEvent(const std::string& folder, const std::string& file,
                                  Clock::time_point now) {
    std::string sector;
    if (!SectorNameOf(folder, sector) || !IsHeightmapOf(file, sector)) {
        return;
    }
    auto [entry, added] = pending_.try_emplace(sector, Pending{terrain_ / folder / file, now, now});
    entry->second.heightmap = terrain_ / folder / file;
    if (!added && entry->second.due > now) {
        // Written again: look at once, the give-up time still runs from the first sight.
        entry->second.due = now;
    }
}

void TerrainWatch::FolderGone(const std::string& folder, std::vector<TerrainChange>& changes) {
    std::string sector;
    if (!SectorNameOf(folder, sector)) {
        return;
    }
    for (auto it = sectorFolders_.begin(); it != sectorFolders_.end();) {
        it = it->second == folder ? sectorFolders_.erase(it) : std::next(it);
    }
    pending_.erase(sector);
    changes.push_back({TerrainChange::Kind::Removed, sector, {}});
}

void TerrainWatch::Rescan(Clock::time_point now) {
    // Events were lost: every heightmap there is is looked at again.
    std::error_code error;
    for (fs::directory_iterator it(terrain_, error), end; !error && it != end;
         it.increment(error)) {
        const std::string folder = it->path().filename().string();
        bool watched = false;
        for (const auto& [watch, name] : sectorFolders_) {
            watched = watched || name == folder;
        }
        std::string sector;
        if (!watched) {
            WatchSectorFolder(folder, now);
        } else if (SectorNameOf(folder, sector)) {
            const fs::path heightmap = HeightmapIn(it->path(), sector);
            HeightmapEvent(folder, heightmap.filename().string(), now);
        }
    }
}

void TerrainWatch::CheckPending(Clock::time_point now, std::vector<TerrainChange>& changes) {
    for (auto it = pending_.begin(); it != pending_.end();) {
        Pending& pending = it->second;
        if (pending.due > now) {
            ++it;
            continue;
        }
        std::error_code error;
        const fs::file_status status = fs::status(pending.heightmap, error);
        if (!fs::exists(status)) {
            changes.push_back({TerrainChange::Kind::Removed, it->first, {}});
        } else if (!fs::is_regular_file(status)) {
            // Nothing the model could read; it reports what it finds there.
            changes.push_back({TerrainChange::Kind::Written, it->first, pending.heightmap});
        } else {
            const std::uintmax_t size = fs::file_size(pending.heightmap, error);
            if (!error && size < WholeHeightmapBytes && now - pending.firstSeen < GiveUpAfter) {
                pending.due = now + RetryInterval;
                ++it;
                continue;
            }
            changes.push_back({TerrainChange::Kind::Written, it->first, pending.heightmap});
        }
        it = pending_.erase(it);
    }
}

std::vector<TerrainChange> TerrainWatch::Poll(Clock::time_point now) {
    std::vector<TerrainChange> changes;
    if (fd_ < 0 || gone_) {
        return changes;
    }
    alignas(inotify_event) std::array<char, 16384> buffer;
    for (;;) {
        const ssize_t got = read(fd_, buffer.data(), buffer.size());
        if (got <= 0) {
            break;  // EAGAIN: nothing more for now
        }
        for (std::size_t at = 0; at + sizeof(inotify_event) <= static_cast<std::size_t>(got);) {
            inotify_event event;
            std::memcpy(&event, buffer.data() + at, sizeof event);
            const std::string name =
                event.len > 0 ? std::string(buffer.data() + at + sizeof event) : std::string();
            at += sizeof event + event.len;

            if ((event.mask & IN_Q_OVERFLOW) != 0) {
                Rescan(now);
                continue;
            }
            if (event.wd == worldWatch_) {
                if ((event.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) != 0 ||
                    name == terrain_.filename().string()) {
                    gone_ = true;
                }
                continue;
            }
            if (event.wd == terrainWatch_) {
                if ((event.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) != 0) {
                    gone_ = true;
                } else if ((event.mask & IN_ISDIR) == 0) {
                    // A file beside the sector folders is nothing of the world's.
                } else if ((event.mask & (IN_DELETE | IN_MOVED_FROM)) != 0) {
                    FolderGone(name, changes);
                } else {
                    WatchSectorFolder(name, now);
                }
                continue;
            }
            const auto folder = sectorFolders_.find(event.wd);
            if (folder != sectorFolders_.end() && !name.empty()) {
                HeightmapEvent(folder->second, name, now);
            }
        }
    }
    if (gone_) {
        return {{TerrainChange::Kind::WorldGone, {}, {}}};
    }
    CheckPending(now, changes);
    return changes;
}

}  // namespace world
