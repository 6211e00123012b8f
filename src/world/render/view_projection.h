#pragma once
// The viewer's camera as the terrain program takes it: the view's rotation, and a perspective
// with the viewer's field of view and near plane but no far plane. Depth is reversed and
// infinite: 1 at the near plane, falling towards 0 at infinity, so a 32-bit float depth buffer
// keeps its precision over any distance. Positions reach the program relative to the camera,
// so that sectors thousands of units from the world's origin keep their float precision.

#include <array>
#include <cstdint>

#include "world/terrain_patch.h"
#include "world/world_camera.h"

namespace world::render {

struct ViewProjection {
    // Row-major, for row vectors: view = d * rotation.
    std::array<float, 9> rotation{};
    // Clip x = view x * xScale, clip y = view y * yScale, clip z = nearPlane, clip w = view z,
    // as Direct3D's left-handed perspective with its far plane taken to infinity and its depth
    // reversed.
    float xScale = 1.0f;
    float yScale = 1.0f;
    float nearPlane = 1.0f;
};

// For a viewport of width x height pixels: the aspect is width / height.
ViewProjection MakeViewProjection(const Camera& camera, int width, int height);

// The patch's first grid point relative to the camera, in world units. Both ends are taken in
// double; only the difference is rounded to float.
std::array<float, 3> PatchOffset(const TerrainPatch& patch, const Camera& camera);

// Where a world sample lies in the ground texture's repeat of 7 samples: 0 to 6. Sectors start
// every 126 samples, a whole number of repeats, so the texture runs on across them.
int TexturePhase(std::int64_t sample);

}  // namespace world::render
