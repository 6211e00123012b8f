#pragma once
// How deep each edge's skirt hangs. Where two patches meet at different levels of detail their
// edges part, and a skirt, hanging from each edge down to the other's, closes the crack. An edge
// that meets no other patch (the rim of the world, a hole) or meets one whose points it shares
// hangs none, so nothing shows below the world's rim where the viewer shows nothing either.

#include <array>
#include <vector>

#include "world/terrain_patch.h"

namespace world::render {

// For each patch, by edge (numbered as in patch_indices.h: 0 for i = 0, 1 for i = side - 1, 2
// for j = 0, 3 for j = side - 1), world units: the widest vertical gap between the edge and the
// neighbours along it, and one sample spacing more where their points do not coincide, so that
// rounding leaves no pinholes; never deeper than the patch's own skirtDepth. 0: no skirt.
std::vector<std::array<float, 4>> SkirtDepths(const std::vector<TerrainPatch>& patches);

}  // namespace world::render
