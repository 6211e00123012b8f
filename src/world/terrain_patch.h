#pragma once
// One piece of ground for the renderer to draw: a square grid of height samples, `step` world
// samples apart, whose first point is world sample (originX, originY). World sample (gx, gy)
// stands at world (10 gx, 10 gy, 0.25 sample); sector A_B's sample (r, c) is world sample
// (126 A + r, 126 B + c). Grid point (i, j) is world sample (originX + i step, originY + j step),
// its height at heights[i * side + j]. Cells are cut along their (i, j)-(i + 1, j + 1) diagonal,
// as the viewer's strips cut them.

#include <cstdint>
#include <memory>
#include <vector>

namespace world {

struct TerrainPatch {
    // The same key and version always come with the same heights, so a renderer may keep what it
    // built from them.
    std::uint64_t key = 0;
    std::uint64_t version = 0;
    std::int64_t originX = 0;
    std::int64_t originY = 0;
    int step = 1;
    int side = 0;
    std::shared_ptr<const std::vector<std::uint16_t>> heights;
    // Which grid points a sector holds (1) or not (0); null when all do. A triangle with a
    // point nobody holds is not drawn.
    std::shared_ptr<const std::vector<std::uint8_t>> present;
    // How far below its edges a skirt hangs, in world units: deep enough to hide any gap to a
    // neighbour drawn at another level of detail.
    float skirtDepth = 0.0f;
};

}  // namespace world
