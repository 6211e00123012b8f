#include "export/export_mesh.h"

#include "terrain/grid_constants.h"

namespace mesh_export {

namespace {

// The viewer's strips as its grid index buffer holds them (render/strip_constants.h, which needs
// <windows.h>, a stand-in this library keeps out): strip s joins vertex column s + 1 to column s,
// two triangles a cell.
constexpr unsigned StripCount = GridSide - 1;
constexpr unsigned StripTriangles = 2 * (GridSide - 1);
static_assert(StripCount == 126 && StripTriangles == 252);

}  // namespace

const std::vector<std::uint16_t>& SectorTriangles() {
    static const std::vector<std::uint16_t> triangles = [] {
        std::vector<std::uint16_t> list;
        list.reserve(std::size_t{StripCount} * StripTriangles * 3);
        for (unsigned strip = 0; strip < StripCount; ++strip) {
            // The strip's index list as the grid index buffer holds it.
            std::vector<std::uint16_t> stripIndices;
            for (unsigned k = 0; k < GridSide; ++k) {
                stripIndices.push_back(static_cast<std::uint16_t>(GridSide * (strip + 1) + k));
                stripIndices.push_back(static_cast<std::uint16_t>(GridSide * strip + k));
            }
            for (unsigned t = 0; t < StripTriangles; ++t) {
                // Direct3D draws strip triangle t as (t, t+1, t+2), odd ones as (t+1, t, t+2),
                // all with one winding. The mirror into the file's space reverses it, so the
                // last two are swapped.
                const bool odd = (t % 2) != 0;
                const std::uint16_t first = stripIndices[odd ? t + 1 : t];
                const std::uint16_t second = stripIndices[odd ? t : t + 1];
                list.push_back(first);
                list.push_back(stripIndices[t + 2]);
                list.push_back(second);
            }
        }
        return list;
    }();
    return triangles;
}

std::array<float, 3> FilePosition(const TerrainVertex& vertex, UpAxis up, float offsetX,
                                  float offsetY) {
    const float x = vertex.x + offsetX;
    const float y = vertex.y + offsetY;
    if (up == UpAxis::Z) {
        return {x, -y, vertex.z};
    }
    return {x, vertex.z, y};
}

float VertexGrey(const TerrainVertex& vertex) {
    return static_cast<float>(vertex.diffuse & 0xFFu) / 255.0f;
}

}  // namespace mesh_export
