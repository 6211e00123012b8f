#pragma once
// Turns a sector's height samples into its terrain mesh.

#include "terrain/heightmap_samples.h"
#include "terrain/terrain_vertex.h"

// Writes exactly TerrainVertexCount vertices to `vertices` (caller storage of TerrainMeshBytes,
// typically a locked vertex buffer), column by column of the file: the vertex of sample
// (r, c) is number 127 * c + r. Row feeds x and u, column feeds y and v.
void BuildTerrainMesh(const HeightmapSamples& samples, TerrainVertex* vertices);
