#pragma once
// A world of the catalogue as the world model holds it, for drawing the whole world: its sectors
// at their host paths, its summaries kept in the user's cache folder, and what it finds on the
// way (progress, unreadable sectors, sectors in view that the cache cannot hold) told through
// callbacks, for the caller to say or to end the work with.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "world/world_camera.h"
#include "world/world_model.h"

namespace headless_catalogue {

struct WorldReports {
    // The first pass: `done` of `total` sectors summarised. Called on the model's threads, one
    // call at a time.
    std::function<void(std::size_t done, std::size_t total)> progress;
    // A sector found unreadable: its host path and why. Called on the thread that makes the
    // world or selects from it, so it may throw to end the work.
    std::function<void(const std::string& path, const std::string& reason)> unreadable;
    // Sectors in view that do not fit the terrain cache, told once: those frames are drawn
    // coarser there.
    std::function<void(std::size_t missing)> cacheTooSmall;
};

class CatalogueWorld {
public:
    // Reads the catalogue and makes the model's first pass. Throws CatalogueError for a world
    // the catalogue does not list (or no game at all), std::runtime_error for a world without
    // placed sectors. Unreadable sectors found meanwhile wait for TellUnreadable.
    CatalogueWorld(const std::string& requested, std::size_t cacheBytes, WorldReports reports);
    ~CatalogueWorld();
    CatalogueWorld(const CatalogueWorld&) = delete;
    CatalogueWorld& operator=(const CatalogueWorld&) = delete;

    world::WorldModel& Model() { return *model_; }

    // Hands the sectors found unreadable since the last call to reports.unreadable.
    void TellUnreadable();

    // The frame's patches once every sector it wants is loaded: selects, tells what was found
    // unreadable, waits for what is missing and selects again. When the cache cannot hold them
    // all (the wanted sectors stop arriving) it returns what it has, coarser there. Adds the
    // time spent waiting to *waited when given.
    world::FrameSelection SelectSettled(const world::Camera& camera, int width, int height,
                                        double maxErrorPixels, double* waited = nullptr);

private:
    struct Found;

    WorldReports reports_;
    bool toldCache_ = false;
    // Shared with the model's callbacks, which may run on its threads.
    std::shared_ptr<Found> found_;
    std::unique_ptr<world::WorldModel> model_;
};

}  // namespace headless_catalogue
