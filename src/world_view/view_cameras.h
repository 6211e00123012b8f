#pragma once
// The cameras the window picks by itself. In the viewer's camera model a pitch between pi and
// 3 pi / 2 looks below the horizon with the sky at the top of the picture; yaw turns the heading
// about the vertical.

#include "world/world_camera.h"
#include "world/world_model.h"

namespace world_view {

// A camera at (x, y, z) heading along the horizontal direction (headingX, headingY), looking
// `down` radians below the horizon, upright.
world::Camera LookingAlong(double x, double y, double z, double headingX, double headingY,
                           double down);

// The whole world at a glance, as `velmora render --all` shows it by default: from beyond its
// low-y edge, raised by half its larger side above its highest ground, looking along +y and
// down at its middle.
world::Camera OverviewCamera(const world::WorldModel::Bounds& extent);

// Where a glide to the ground point (x, y, z) ends: nearer than `from` (a third of the way, at
// least 150 and at most 4000 units off), on the side it is seen from, 35 degrees above it and
// looking at it.
world::Camera LookingAt(const world::Camera& from, double x, double y, double z);

}  // namespace world_view
