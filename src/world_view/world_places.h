#pragma once
// What lies at a place of the world where the pointer finds no ground, in the status bar's
// words: a hole in the world ("no sector at 2_1"), a sector that could not be read ("sector 2_1
// could not be read"), or nothing of the world ("outside the world"). The web page's status
// line says the same words.

#include <array>
#include <string>
#include <vector>

#include "world/sector_place.h"
#include "world/world_camera.h"
#include "world/world_model.h"

namespace world_view {

class WorldPlaces {
public:
    enum class Kind { Drawn, Hole, Unreadable, Outside };

    // No world: everything is outside it.
    WorldPlaces() = default;
    // The world's extent, the places a sector is drawn at and those of sectors that could not
    // be read (a place both drawn and named unreadable, under another name, is drawn).
    WorldPlaces(const world::WorldModel::Bounds& extent, std::vector<world::SectorPlace> drawn,
                std::vector<world::SectorPlace> unreadable);
    // The model's, with the sectors named unreadable since it was made.
    static WorldPlaces Of(const world::WorldModel& model,
                          const std::vector<std::string>& unreadableNames);

    Kind At(double x, double y) const;
    // The words for the place at (x, y); empty where a sector is drawn.
    std::string WordsAt(double x, double y) const;
    // The words for what a ray from the camera's position along `direction` meets first of
    // the world where it met no ground: the first hole or unreadable sector it passes through
    // at the ground's heights, else "outside the world".
    std::string WordsAlong(const world::Camera& camera,
                           const std::array<double, 3>& direction) const;

private:
    bool Holds(const std::vector<world::SectorPlace>& places, int a, int b) const;

    bool any_ = false;  // a world with an extent
    world::WorldModel::Bounds extent_{};
    // Both sorted by b, then a.
    std::vector<world::SectorPlace> drawn_;
    std::vector<world::SectorPlace> unreadable_;
};

}  // namespace world_view
