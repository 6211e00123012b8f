// The mesh in a file's space: the viewer's strips as triangles wound counter-clockwise seen from
// above in either up axis, positions mirrored into a right-handed space and moved by the offset.

#include "export/export_mesh.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "render/strip_constants.h"
#include "terrain/grid_constants.h"

namespace {

using mesh_export::FilePosition;
using mesh_export::SectorTriangles;
using mesh_export::UpAxis;

// Flat ground laid out as BuildTerrainMesh lays it out: vertex 127 c + r at (10 r, 10 c).
std::vector<TerrainVertex> FlatGrid() {
    std::vector<TerrainVertex> vertices(TerrainVertexCount);
    for (int c = 0; c < GridSide; ++c) {
        for (int r = 0; r < GridSide; ++r) {
            vertices[static_cast<std::size_t>(c * GridSide + r)] = {
                r * GridSpacing, c * GridSpacing, 0.0f, 0xFF808080u, 0.0f, 0.0f};
        }
    }
    return vertices;
}

TEST(ExportMeshTest, TheTrianglesAreTheViewersStripsEachOnItsTwoVertexColumns) {
    const std::vector<std::uint16_t>& triangles = SectorTriangles();
    ASSERT_EQ(triangles.size(), std::size_t{StripCount} * StripTriangles * 3);
    for (std::size_t t = 0; t < triangles.size() / 3; ++t) {
        const std::size_t strip = t / StripTriangles;
        for (std::size_t k = 0; k < 3; ++k) {
            const std::size_t column = triangles[3 * t + k] / GridSide;
            ASSERT_TRUE(column == strip || column == strip + 1) << t;
        }
    }
}

TEST(ExportMeshTest, EveryTriangleRunsCounterClockwiseSeenFromAboveInBothUpAxes) {
    const std::vector<TerrainVertex> vertices = FlatGrid();
    const std::vector<std::uint16_t>& triangles = SectorTriangles();
    for (const UpAxis up : {UpAxis::Z, UpAxis::Y}) {
        // The up axis's component of the triangle's normal.
        const std::size_t upIndex = up == UpAxis::Z ? 2 : 1;
        for (std::size_t t = 0; t < triangles.size() / 3; ++t) {
            std::array<std::array<float, 3>, 3> p{};
            for (std::size_t k = 0; k < 3; ++k) {
                p[k] = FilePosition(vertices[triangles[3 * t + k]], up, 0.0f, 0.0f);
            }
            std::array<double, 3> e1{}, e2{};
            for (std::size_t i = 0; i < 3; ++i) {
                e1[i] = p[1][i] - p[0][i];
                e2[i] = p[2][i] - p[0][i];
            }
            const std::array<double, 3> normal{e1[1] * e2[2] - e1[2] * e2[1],
                                               e1[2] * e2[0] - e1[0] * e2[2],
                                               e1[0] * e2[1] - e1[1] * e2[0]};
            ASSERT_GT(normal[upIndex], 0.0) << t;
        }
    }
}

TEST(ExportMeshTest, PositionsAreMirroredIntoTheFilesSpaceAfterTheOffset) {
    const TerrainVertex vertex{20.0f, 30.0f, 5.0f, 0xFF404040u, 0.0f, 0.0f};
    EXPECT_EQ(FilePosition(vertex, UpAxis::Z, 1260.0f, 2520.0f),
              (std::array<float, 3>{1280.0f, -2550.0f, 5.0f}));
    EXPECT_EQ(FilePosition(vertex, UpAxis::Y, 1260.0f, 2520.0f),
              (std::array<float, 3>{1280.0f, 5.0f, 2550.0f}));
    EXPECT_FLOAT_EQ(mesh_export::VertexGrey(vertex), 64.0f / 255.0f);
}

}  // namespace
