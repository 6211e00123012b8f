#pragma once
// The height of the ground below a point, asked of the world model without waiting for the
// disk: the patches the model would draw for a small view straight down from just above the
// world's highest ground. Where a sector's full samples are not resident yet, its coarse level
// answers, a little off.

#include <optional>

#include "world/world_model.h"

namespace world_view {

std::optional<double> GroundBelow(world::WorldModel& model, double x, double y);

}  // namespace world_view
