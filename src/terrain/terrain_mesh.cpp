#include "terrain/terrain_mesh.h"

#include <array>

#include "terrain/shading_range.h"

namespace {

// Per-index coordinates, shared by every column (x, u) and every row (y, v). Each is one float
// product of the index, rounded once.
struct AxisTable {
    std::array<float, GridSide> position{};
    std::array<float, GridSide> texture{};

    constexpr AxisTable() {
        for (int i = 0; i < GridSide; ++i) {
            position[i] = static_cast<float>(i) * GridSpacing;
            texture[i] = static_cast<float>(i) * TextureStep;
        }
    }
};

constexpr AxisTable Axis;

}  // namespace

void BuildTerrainMesh(const HeightmapSamples& samples, TerrainVertex* vertices) {
    const ShadingRange shading = ShadingRange::Find(samples);

    TerrainVertex* out = vertices;
    for (int c = 0; c < GridSide; ++c) {
        const float y = Axis.position[c];
        const float v = Axis.texture[c];
        const std::uint16_t* column = samples.data() + c;
        for (int r = 0; r < GridSide; ++r) {
            const std::uint16_t s = column[static_cast<std::size_t>(r) * GridSide];
            out->x = Axis.position[r];
            out->y = y;
            out->z = static_cast<float>(s) * HeightScale;
            out->diffuse = std::uint32_t{shading.Shade(s)} * 0x010101u;
            out->u = Axis.texture[r];
            out->v = v;
            ++out;
        }
    }
}
