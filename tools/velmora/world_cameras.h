#pragma once
// The cameras the world commands pick by themselves, from the world's extent. In the viewer's
// camera model a pitch between pi and 3 pi / 2 looks below the horizon with the sky at the top
// of the picture; yaw then turns the heading about the vertical.

#include "world/world_camera.h"
#include "world/world_model.h"

// A camera at (x, y, z) heading along the horizontal direction (headingX, headingY) and
// looking `down` radians below the horizon, upright.
world::Camera LookingAlong(double x, double y, double z, double headingX, double headingY,
                           double down);

// The whole world at a glance: from beyond its low-y edge, raised by half its larger side above
// its highest ground, looking along +y and down at its middle.
world::Camera OverviewCamera(const world::WorldModel::Bounds& extent);

// Frame `frame` of `frames` of a loop around the world's middle from its +x side, turning
// towards +y (clockwise on `velmora map`'s picture, where y points down), at a radius of 0.3 of
// its smaller side and a fixed height above its highest ground (a tenth of its smaller side, 150
// units at least), looking ahead along the loop and 20 degrees down.
world::Camera LoopCamera(const world::WorldModel::Bounds& extent, int frame, int frames);
