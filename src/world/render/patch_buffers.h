#pragma once
// What the GPU holds of one patch: its samples, and, when some of its points are absent, its
// own list of the triangles left. Whole patches share one index list per grid side.

#include <array>
#include <cstddef>
#include <optional>

#include "gl/object.h"
#include "world/render/patch_indices.h"
#include "world/terrain_patch.h"

namespace world::render {

// An element buffer of ground triangles followed by the skirt triangles of each edge in turn,
// 32-bit indices.
struct IndexBuffer {
    gl::Buffer buffer;
    GLsizei groundCount = 0;              // indices, from the start
    std::array<GLsizei, 4> skirtFirst{};  // by edge: the first index of its skirt
    std::array<GLsizei, 4> skirtCount{};  // by edge: indices
    std::size_t bytes = 0;
};

struct PatchBuffers {
    gl::Buffer heights;  // two samples a 32-bit word, the lower index in the low half
    // When some points are absent: which are there, one bit a point, the lower index in the
    // lower bits; and the triangles left.
    gl::Buffer presence;
    std::optional<IndexBuffer> ownIndices;
    std::size_t bytes = 0;
};

// Needs a current context.
IndexBuffer UploadIndices(const PatchIndices& indices);

// Needs a current context; the patch has side * side heights.
PatchBuffers UploadPatch(const TerrainPatch& patch);

// Whether some grid point of the patch is absent.
bool HasAbsentPoints(const TerrainPatch& patch);

}  // namespace world::render
