#pragma once
// Watches a world's terrain folder with inotify while the game writes its cache: every sector
// folder in it (new ones as they appear), the heightmaps in them, and the world folder itself.
// The descriptor is non-blocking and read when the window polls, so the window never waits on
// it. A heightmap not yet of a whole heightmap's size is looked at again every RetryInterval
// until it is, or until GiveUpAfter has passed since it was first seen, when it is taken as the
// short file it is.

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace world {

struct TerrainChange {
    enum class Kind {
        Written,  // the sector's heightmap is new or was rewritten
        Removed,  // the sector's heightmap or folder went
        WorldGone,
    };
    Kind kind = Kind::Written;
    std::string sector;
    std::filesystem::path heightmap;
};

class TerrainWatch {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds RetryInterval{200};
    static constexpr std::chrono::milliseconds GiveUpAfter{3000};

    // Watches `terrain` (<world>\terrain) and the world folder above it. Inactive, and Poll
    // empty, when inotify or the folder cannot be had.
    explicit TerrainWatch(std::filesystem::path terrain);
    ~TerrainWatch();
    TerrainWatch(const TerrainWatch&) = delete;
    TerrainWatch& operator=(const TerrainWatch&) = delete;

    bool Active() const { return fd_ >= 0; }

    // The changes seen since the last call, and those of heightmaps due a look by `now`.
    std::vector<TerrainChange> Poll(Clock::time_point now);

private:
    struct Pending {
        std::filesystem::path heightmap;
        Clock::time_point firstSeen;
        Clock::time_point due;
    };

    void WatchSectorFolder(const std::string& folder, Clock::time_point now);
    void Rescan(Clock::time_point now);
    void HeightmapEvent(const std::string& folder, const std::string& file, Clock::time_point now);
    void FolderGone(const std::string& folder, std::vector<TerrainChange>& changes);
    void CheckPending(Clock::time_point now, std::vector<TerrainChange>& changes);

    std::filesystem::path terrain_;
    int fd_ = -1;
    int terrainWatch_ = -1;
    int worldWatch_ = -1;
    bool gone_ = false;
    std::map<int, std::string> sectorFolders_;  // watch -> folder name in the terrain folder
    std::map<std::string, Pending> pending_;    // by sector
};

}  // namespace world
