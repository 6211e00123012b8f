#pragma once
// Where the camera may go, so that the world stays in reach: a box around the world's extent,
// wide enough for the overview camera, under a ceiling from which the whole world still fills a
// fair part of the view, over a floor that rises beyond the world's edges (a camera low down
// outside the world would see it edge-on, or not at all); and a flying speed that crosses at
// most about a sixth of the world a second. Near the ground over the world neither changes
// anything. The web page's 3D view keeps its camera by the same numbers (web/js/view3d/
// camera_box.js).

#include "world/world_camera.h"
#include "world/world_model.h"

namespace world_view {

// The fastest the camera flies, as a fraction of the world's size a second.
inline constexpr double WorldFractionPerSecond = 0.15;

struct CameraBox {
    double minX, minY, minZ, maxX, maxY, maxZ;  // minZ: the floor over the world
};

// The larger of the world's sides in world units, a sector's at least.
double WorldSpan(const world::WorldModel::Bounds& extent);

CameraBox CameraBoxOf(const world::WorldModel::Bounds& extent);

// The lowest the camera may be at (x, y): the world's lowest ground over it, higher by half the
// distance beyond its edges.
double FloorAt(const world::WorldModel::Bounds& extent, double x, double y);

// Moves the camera into the box and above the floor; angles of many turns come back to one.
void KeepInBox(world::Camera& camera, const world::WorldModel::Bounds& extent);

// World units a second: a fraction of the world's size, taken as the geometric mean of its
// sides, so that a long narrow world is not left behind across its narrow side.
double TopSpeed(const world::WorldModel::Bounds& extent);

}  // namespace world_view
