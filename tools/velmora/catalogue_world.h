#pragma once
// A world of the catalogue as the world model holds it, for the commands that draw the whole
// world: its sectors at their host paths, its summaries kept in the user's cache folder, and
// unreadable sectors either reported and drawn as holes or failing the command, as `map` does.

#include <cstddef>
#include <memory>
#include <string>

#include "world/world_camera.h"
#include "world/world_model.h"

class CatalogueWorld {
public:
    // Reads the catalogue and makes the model's first pass. `command` prefixes messages. Throws
    // CommandFailure: exit 2 for an unknown world, 1 for a world without placed sectors or, unless
    // skipUnreadable, for an unreadable sector.
    CatalogueWorld(const std::string& requested, std::size_t cacheBytes, bool skipUnreadable,
                   std::string command);
    ~CatalogueWorld();
    CatalogueWorld(const CatalogueWorld&) = delete;
    CatalogueWorld& operator=(const CatalogueWorld&) = delete;

    world::WorldModel& Model() { return *model_; }

    // The frame's patches once every sector it wants is loaded: selects, waits for what is
    // missing and selects again. When the cache cannot hold them all (the wanted sectors stop
    // arriving) it says so once and returns what it has, coarser there. Adds the time spent
    // waiting to *waited when given.
    world::FrameSelection SelectSettled(const world::Camera& camera, int width, int height,
                                        double maxErrorPixels, double* waited = nullptr);

    // Says how many more unreadable sectors were drawn as holes than were named one by one.
    void ReportRemaining();

private:
    struct Reports;
    // Reports the sectors found unreadable since the last call, or throws for the first.
    void CheckUnreadable();

    std::string command_;
    bool skipUnreadable_;
    bool warnedCache_ = false;
    std::size_t namedUnreadable_ = 0;
    std::size_t unnamedUnreadable_ = 0;
    std::shared_ptr<Reports> reports_;
    std::unique_ptr<world::WorldModel> model_;
};
