#pragma once
// The cameras a world view picks by itself, from the world's extent. In the viewer's camera
// model a pitch between pi and 3 pi / 2 looks below the horizon with the sky at the top of the
// picture; yaw turns the heading about the vertical.

#include "world/world_camera.h"
#include "world/world_model.h"

namespace world {

// A camera at (x, y, z) heading along the horizontal direction (headingX, headingY) and looking
// `down` radians below the horizon, upright.
Camera LookingAlong(double x, double y, double z, double headingX, double headingY, double down);

// The whole world at a glance: from beyond its low-y edge, raised by half its larger side above
// its highest ground, looking along +y and down at its middle.
Camera OverviewCamera(const WorldModel::Bounds& extent);

// A sector's side in world units: the least size such cameras plan for.
inline constexpr double SectorSideUnits = 1260.0;

}  // namespace world
