#pragma once
// The fixed geometry of a terrain sector: its heightmap grid and the mesh built from it.

#include <bit>
#include <cstddef>
#include <cstdint>

// Bytes ahead of the samples in a heightmap file; none of them is interpreted.
inline constexpr std::size_t HeightmapHeaderSize = 24;
// Samples (and vertices) per side of a sector.
inline constexpr int GridSide = 127;
// World units between neighbouring vertices in x and in y.
inline constexpr float GridSpacing = 10.0f;
// World units of height per sample unit.
inline constexpr float HeightScale = 0.25f;
// Texture coordinate advance per grid step: one whole texture every seven cells. Pinned to its
// bit pattern so that no compiler rounding of 1/7 can move it.
inline constexpr float TextureStep = std::bit_cast<float>(std::uint32_t{0x3E124925u});
// The smallest sample that can set the low end of the shading range; lower ground stays white.
inline constexpr std::uint16_t MinRangeSample = 101;

inline constexpr std::size_t GridSampleCount = std::size_t{GridSide} * GridSide;
inline constexpr std::size_t HeightmapSampleBytes = GridSampleCount * sizeof(std::uint16_t);
inline constexpr std::size_t TerrainVertexCount = GridSampleCount;

static_assert(GridSampleCount == 16129);
static_assert(HeightmapSampleBytes == 32258);
