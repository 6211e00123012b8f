#pragma once
// The glide's camera; the overview is the world library's (world/overview_camera.h), as
// `velmora render --all` shows it by default.

#include "world/overview_camera.h"
#include "world/world_camera.h"

namespace world_view {

// Where a glide to the ground point (x, y, z) ends: nearer than `from` (a third of the way, at
// least 150 and at most 4000 units off), on the side it is seen from, 35 degrees above it and
// looking at it.
world::Camera LookingAt(const world::Camera& from, double x, double y, double z);

}  // namespace world_view
