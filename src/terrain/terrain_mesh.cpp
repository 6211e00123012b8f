#include "terrain/terrain_mesh.h"

#include <array>
#include <bit>
#include <cstring>

#include "terrain/shading_range.h"

namespace {

// Each vertex is written as three 8-byte pairs, (x, y), (z, diffuse) and (u, v), which keeps
// the hot loop at three stores per vertex.
static_assert(offsetof(TerrainVertex, y) == offsetof(TerrainVertex, x) + 4);
static_assert(offsetof(TerrainVertex, diffuse) == offsetof(TerrainVertex, z) + 4);
static_assert(offsetof(TerrainVertex, v) == offsetof(TerrainVertex, u) + 4);
static_assert(std::endian::native == std::endian::little, "pairs are packed low word first");

std::uint64_t Pair(std::uint32_t low, std::uint32_t high) {
    return std::uint64_t{low} | (std::uint64_t{high} << 32);
}

// Per-index coordinate bits, shared by every column (x, u) and every row (y, v). Each is one
// float product of the index, rounded once.
struct AxisTable {
    std::array<std::uint32_t, GridSide> position{};
    std::array<std::uint32_t, GridSide> texture{};

    constexpr AxisTable() {
        for (int i = 0; i < GridSide; ++i) {
            position[i] = std::bit_cast<std::uint32_t>(static_cast<float>(i) * GridSpacing);
            texture[i] = std::bit_cast<std::uint32_t>(static_cast<float>(i) * TextureStep);
        }
    }
};

constexpr AxisTable Axis;

}  // namespace

void BuildTerrainMesh(const HeightmapSamples& samples, TerrainVertex* vertices) {
    const ShadingRange shading = ShadingRange::Find(samples);

    TerrainVertex* out = vertices;
    for (int c = 0; c < GridSide; ++c) {
        const std::uint64_t y = std::uint64_t{Axis.position[c]} << 32;
        const std::uint64_t v = std::uint64_t{Axis.texture[c]} << 32;
        const std::uint16_t* column = samples.data() + c;
        for (int r = 0; r < GridSide; ++r) {
            const std::uint16_t s = column[static_cast<std::size_t>(r) * GridSide];
            const std::uint64_t xy = Axis.position[r] | y;
            const std::uint64_t zDiffuse =
                Pair(std::bit_cast<std::uint32_t>(static_cast<float>(s) * HeightScale),
                     std::uint32_t{shading.Shade(s)} * 0x010101u);
            const std::uint64_t uv = Axis.texture[r] | v;
            std::memcpy(&out->x, &xy, sizeof xy);
            std::memcpy(&out->z, &zDiffuse, sizeof zDiffuse);
            std::memcpy(&out->u, &uv, sizeof uv);
            ++out;
        }
    }
}
