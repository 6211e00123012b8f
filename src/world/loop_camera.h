#pragma once
// A flight around a world, planned from its extent alone.

#include "world/world_camera.h"
#include "world/world_model.h"

namespace world {

// Frame `frame` of `frames` of a loop around the world's middle from its +x side, turning
// towards +y (clockwise on a map drawn with y down), at a radius of 0.3 of its smaller side and
// a fixed height above its highest ground (a tenth of its smaller side, 150 units at least),
// looking ahead along the loop and 20 degrees down.
Camera LoopCamera(const WorldModel::Bounds& extent, int frame, int frames);

}  // namespace world
