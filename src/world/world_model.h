#pragma once
// A whole world's terrain for drawing: where its sectors lie, its one shading range, a tree of
// levels of detail over it, and the sectors' full samples, streamed in on background threads
// nearest to the camera first and kept under a memory cap.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <vector>

#include "terrain/shading_range.h"
#include "world/sector_source.h"
#include "world/terrain_patch.h"
#include "world/world_camera.h"
#include "world/world_layout.h"

namespace world {

class LodTree;
struct SectorSummary;

struct ModelOptions {
    // Resident terrain data, in bytes.
    std::size_t cacheBytes = std::size_t{256} << 20;
    // Where the summary of the first pass is kept between runs ($XDG_CACHE_HOME/velmora by
    // default); empty: not kept.
    std::filesystem::path summaryFolder;
    // Sectors that cannot be read: reported here and drawn as holes. Without a handler the
    // first one makes the constructor throw std::runtime_error naming it.
    std::function<void(const std::string& name, const std::string& path, const std::string& reason)>
        unreadable;
    // The first pass's progress: sectors summarised so far, of all.
    std::function<void(std::size_t done, std::size_t total)> progress;
    // Looked at between sectors of the first pass: once a stop is requested, the constructor
    // gives up and throws FirstPassStopped, keeping nothing in the summary cache.
    std::stop_token stop;
};

// A first pass given up on request (ModelOptions::stop).
struct FirstPassStopped : std::runtime_error {
    FirstPassStopped() : std::runtime_error("the first pass was stopped") {}
};

// What to draw for one frame, from the model's data at the moment of asking.
struct FrameSelection {
    std::vector<TerrainPatch> patches;
    // Sectors whose finer data the frame wanted but did not have yet (requested, loading).
    std::size_t missingSectors = 0;
};

class WorldModel {
public:
    // Lays the sectors out and makes the first pass: every sector's summary (its coarse level,
    // its levels' errors, its share of the range) is read from the summary cache where the file's
    // path, size and modification time still match, else from the file, in parallel. Throws
    // std::runtime_error when no sector has a place, FirstPassStopped when asked to stop.
    WorldModel(std::vector<SectorSource> sources, ModelOptions options);
    ~WorldModel();
    WorldModel(const WorldModel&) = delete;
    WorldModel& operator=(const WorldModel&) = delete;

    // Black at the world's least sample of at least 101, white at its greatest.
    ShadingRange Range() const;

    // The world's extent in world units: x from minX to maxX, y likewise, heights likewise.
    struct Bounds {
        double minX, minY, minZ, maxX, maxY, maxZ;
    };
    Bounds Extent() const;

    // The names that have no place on the grid, and those left out where another name gives
    // their place.
    const std::vector<std::string>& Unplaced() const;
    const std::vector<SharedPlace>& SharedPlaces() const;
    std::size_t SectorCount() const;

    // The patches that draw the world from `camera` into a viewport of width x height pixels
    // with at most maxErrorPixels of error on screen (0: full detail everywhere). Asks for the
    // sectors it lacks, nearest first, and never waits for them: coarser patches stand in.
    FrameSelection Select(const Camera& camera, int width, int height, double maxErrorPixels);

    // Asks for the sectors along a coming camera, after those the current frame wants.
    void Prefetch(const Camera& camera, int width, int height, double maxErrorPixels);

    // Waits until every sector asked for so far is loaded (or found unreadable).
    void WaitForRequests();

    // Change hooks: a sector file appeared, changed or vanished. The summary, the range and the
    // levels follow; returns true when the range changed.
    bool SectorWritten(const SectorSource& source);
    bool SectorRemoved(const std::string& name);
    // Many changes in their order (a burst of the game's writes), the levels made anew once.
    struct SectorChange {
        SectorSource source;  // a removal needs only the name
        bool removed = false;
    };
    bool SectorsChanged(const std::vector<SectorChange>& changes);

    // Bytes of terrain data resident now (full samples and coarse levels).
    std::size_t ResidentBytes() const;

    // What writes the whole model out (a web site) reads: the sectors in the tree's order
    // (layout.sectors[s] is sector s), each one's summary (null where it is unreadable or
    // removed), the level tree over them and the deepest skirt a patch hangs.
    const WorldLayout& Layout() const;
    const SectorSummary* Summary(std::size_t sector) const;
    const LodTree& Tree() const;
    float SkirtDepth() const;

private:
    // One change without the levels made anew; true when they need to be.
    bool Write(const SectorSource& source);
    bool Remove(const std::string& name);

    struct State;
    std::unique_ptr<State> state_;
    // Guards the sectors' paths, which the loader threads read while a change hook may add one.
    std::mutex pathMutex_;
};

}  // namespace world
