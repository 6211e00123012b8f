#pragma once
// One vertex of the terrain mesh, laid out as Direct3D's flexible vertex format 0x142
// (XYZ | DIFFUSE | TEX1) expects it, so the mesh can be written straight into a vertex buffer.

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "terrain/grid_constants.h"

struct TerrainVertex {
    float x;
    float y;
    float z;
    std::uint32_t diffuse;  // A, R, G, B from the high byte down
    float u;
    float v;
};

// D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1.
inline constexpr std::uint32_t TerrainVertexFormat = 0x142;

static_assert(sizeof(TerrainVertex) == 24);
static_assert(offsetof(TerrainVertex, x) == 0);
static_assert(offsetof(TerrainVertex, y) == 4);
static_assert(offsetof(TerrainVertex, z) == 8);
static_assert(offsetof(TerrainVertex, diffuse) == 12);
static_assert(offsetof(TerrainVertex, u) == 16);
static_assert(offsetof(TerrainVertex, v) == 20);
static_assert(std::is_trivially_copyable_v<TerrainVertex> &&
              std::is_standard_layout_v<TerrainVertex>);

inline constexpr std::size_t TerrainMeshBytes = TerrainVertexCount * sizeof(TerrainVertex);
static_assert(TerrainMeshBytes == 387096);
