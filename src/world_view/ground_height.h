#pragma once
// The ground as a frame's patches shape it: its height at a point of the world, cut into
// triangles as the renderer cuts the cells, from the finest patch that holds the point.

#include <cstdint>
#include <optional>
#include <vector>

#include "world/terrain_patch.h"

namespace world_view {

struct GroundPoint {
    double height = 0.0;        // world units
    std::uint16_t nearest = 0;  // the drawn sample nearest to the point
};

// Nothing where no patch holds (x, y) with all the points of its cell.
std::optional<GroundPoint> GroundAt(const std::vector<world::TerrainPatch>& patches, double x,
                                    double y);

}  // namespace world_view
