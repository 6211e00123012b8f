#pragma once
// The point of the world a pixel of a frame shows, from the frame's depth there: the renderer's
// depth is reversed and infinite (the near plane over the view distance), so depth 0 is the sky.

#include <array>
#include <optional>

#include "world/world_camera.h"

namespace world_view {

// (px, py) in pixels from the frame's top left, in a frame of width x height.
std::optional<std::array<double, 3>> PickedPoint(const world::Camera& camera, int width, int height,
                                                 double px, double py, float depth);

}  // namespace world_view
