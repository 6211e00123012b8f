#pragma once
// The flyover's own camera path; the overview is the world library's (world/overview_camera.h).

#include "world/overview_camera.h"
#include "world/world_model.h"

// Frame `frame` of `frames` of a loop around the world's middle from its +x side, turning
// towards +y (clockwise on `velmora map`'s picture, where y points down), at a radius of 0.3 of
// its smaller side and a fixed height above its highest ground (a tenth of its smaller side, 150
// units at least), looking ahead along the loop and 20 degrees down.
world::Camera LoopCamera(const world::WorldModel::Bounds& extent, int frame, int frames);
