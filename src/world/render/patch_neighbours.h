#pragma once
// Which edges of a frame's patches meet another patch of the frame. Skirts hide the cracks
// between patches drawn at different levels of detail; only such edges need them. An edge on
// the rim of the world or beside a hole has no neighbour and hangs no skirt, as the viewer
// shows a sector's edge.

#include <cstdint>
#include <vector>

#include "world/terrain_patch.h"

namespace world::render {

// For each patch, a bit per edge (numbered as in patch_indices.h: 1 for i = 0, 2 for
// i = side - 1, 4 for j = 0, 8 for j = side - 1) set when some other patch's opposite edge lies
// on the same line and shares a stretch of it with this one.
std::vector<std::uint8_t> EdgesWithNeighbours(const std::vector<TerrainPatch>& patches);

}  // namespace world::render
