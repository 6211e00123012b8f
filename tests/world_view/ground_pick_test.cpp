// The ground under the pointer: the point a pixel's depth shows, the ground's height and sample
// there, and the sector the status bar names for it.

#include "world_view/ground_pick.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>

#include "world/render/view_projection.h"
#include "world_view/ground_height.h"
#include "world_view/readouts.h"

namespace {

using world_view::GroundAt;
using world_view::PickedPoint;

world::TerrainPatch MakePatch(std::int64_t originX, std::int64_t originY, int step, int side,
                              const std::function<std::uint16_t(int, int)>& height) {
    world::TerrainPatch patch;
    patch.originX = originX;
    patch.originY = originY;
    patch.step = step;
    patch.side = side;
    auto heights = std::make_shared<std::vector<std::uint16_t>>();
    for (int i = 0; i < side; ++i) {
        for (int j = 0; j < side; ++j) {
            heights->push_back(height(i, j));
        }
    }
    patch.heights = std::move(heights);
    return patch;
}

// Points in view projected as the renderer projects them (row 0 at the top of the picture,
// depth the near plane over the view distance), then picked back from their pixel and depth.
TEST(GroundPickTest, APixelAndItsDepthGiveBackThePointDrawnThere) {
    std::mt19937 random(8);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int picked = 0;
    for (int round = 0; round < 4000; ++round) {
        const world::Camera camera{20000.0 * unit(random), 20000.0 * unit(random),
                                   3000.0 * unit(random), 8.0 * unit(random) - 4.0,
                                   std::numbers::pi * (0.5 + 1.5 * unit(random))};
        const int width = 100 + static_cast<int>(random() % 1500);
        const int height = 100 + static_cast<int>(random() % 1000);
        const std::array<double, 3> point = {camera.x + 6000.0 * (unit(random) - 0.5),
                                             camera.y + 6000.0 * (unit(random) - 0.5),
                                             camera.z + 6000.0 * (unit(random) - 0.5)};
        const auto view =
            world::ToView(camera, point[0] - camera.x, point[1] - camera.y, point[2] - camera.z);
        const world::render::ViewProjection projection =
            world::render::MakeViewProjection(camera, width, height);
        const double ndcX = view[0] * projection.xScale / view[2];
        const double ndcY = view[1] * projection.yScale / view[2];
        if (view[2] < 2.0 || std::abs(ndcX) > 1.0 || std::abs(ndcY) > 1.0) {
            continue;
        }
        ++picked;
        const double px = (ndcX + 1.0) / 2.0 * width - 0.5;
        const double py = (1.0 - ndcY) / 2.0 * height - 0.5;
        const auto depth = static_cast<float>(projection.nearPlane / view[2]);
        const auto back = PickedPoint(camera, width, height, px, py, depth);
        ASSERT_TRUE(back.has_value());
        const double distance = std::hypot(view[0], view[1], view[2]);
        for (int k = 0; k < 3; ++k) {
            ASSERT_NEAR((*back)[k], point[k], 1e-5 * distance)
                << "round " << round << ", axis " << k;
        }
    }
    EXPECT_GT(picked, 200);
    // The sky, and no picture.
    EXPECT_FALSE(PickedPoint({}, 640, 480, 10.0, 10.0, 0.0f).has_value());
    EXPECT_FALSE(PickedPoint({}, 0, 480, 10.0, 10.0, 0.5f).has_value());
}

// Four flat sectors, each at its own height, seen straight down over their common corner as the
// viewer's first camera sees a sector: x to the right of the picture, y downwards.
TEST(GroundPickTest, ThePointerNamesTheSectorUnderItNotAMirroredOne) {
    const auto level = [](int a, int b) {
        return static_cast<std::uint16_t>(1000 + 400 * a + 100 * b);
    };
    std::vector<world::TerrainPatch> patches;
    for (int a = 0; a < 2; ++a) {
        for (int b = 0; b < 2; ++b) {
            patches.push_back(
                MakePatch(126 * a, 126 * b, 18, 8, [&](int, int) { return level(a, b); }));
        }
    }
    const world::Camera camera{1260.0, 1260.0, 3000.0, 0.0, std::numbers::pi};
    for (int a = 0; a < 2; ++a) {
        for (int b = 0; b < 2; ++b) {
            const double ground = 0.25 * level(a, b);
            const auto depth = static_cast<float>(world::NearPlane / (camera.z - ground));
            const auto point =
                PickedPoint(camera, 400, 400, a == 1 ? 300 : 100, b == 1 ? 300 : 100, depth);
            ASSERT_TRUE(point.has_value());
            EXPECT_NEAR((*point)[2], ground, 1e-3);
            const auto under = GroundAt(patches, (*point)[0], (*point)[1]);
            ASSERT_TRUE(under.has_value());
            EXPECT_EQ(under->nearest, level(a, b));
            EXPECT_THAT(
                world_view::GroundText((*point)[0], (*point)[1], under->nearest, under->height),
                testing::StartsWith("sector " + std::to_string(a) + "_" + std::to_string(b) +
                                    ", sample " + std::to_string(level(a, b)) + ", height " +
                                    std::to_string(static_cast<int>(ground)) + ".0, x "));
        }
    }
}

TEST(GroundHeightTest, TheGroundIsTheFinestPatchsSurfaceCutAsTheViewerCutsItsCells) {
    // A coarse patch rising faster along x than along y, and over part of it a finer one whose
    // cell holds a ridge along the viewer's diagonal.
    const world::TerrainPatch coarse =
        MakePatch(0, 0, 18, 8, [](int i, int j) { return std::uint16_t(1000 + 40 * i + 7 * j); });
    world::TerrainPatch fine =
        MakePatch(18, 36, 1, 3, [](int i, int j) { return std::uint16_t(i == j ? 2000 : 1000); });
    const std::vector<world::TerrainPatch> patches = {coarse, fine};
    for (int i = 0; i < 8; i += 3) {
        for (int j = 0; j < 8; j += 2) {
            const auto at = GroundAt({coarse}, 180.0 * i, 180.0 * j);
            ASSERT_TRUE(at.has_value());
            EXPECT_DOUBLE_EQ(at->height, 0.25 * (1000 + 40 * i + 7 * j)) << i << "," << j;
            EXPECT_EQ(at->nearest, 1000 + 40 * i + 7 * j);
        }
    }
    EXPECT_DOUBLE_EQ(GroundAt(patches, 185.0, 365.0)->height, 500.0);  // on the ridge
    EXPECT_DOUBLE_EQ(GroundAt(patches, 187.5, 362.5)->height, 0.25 * 1500);
    EXPECT_DOUBLE_EQ(GroundAt(patches, 182.5, 367.5)->height, 0.25 * 1500);
    EXPECT_EQ(GroundAt(patches, 184.0, 366.0)->nearest, 1000);  // point (0, 1)
    EXPECT_EQ(GroundAt(patches, 194.0, 366.0)->nearest, 2000);  // point (1, 1)

    // Where a point is missing, the triangles that need it hold no ground; outside, none either.
    auto present = std::make_shared<std::vector<std::uint8_t>>(9, std::uint8_t{1});
    (*present)[1 * 3 + 1] = 0;
    fine.present = present;
    EXPECT_FALSE(GroundAt({fine}, 185.0, 365.0).has_value());
    EXPECT_TRUE(
        GroundAt({fine}, 182.0, 377.0).has_value());  // cell (0, 1), the half away from (1, 1)
    EXPECT_FALSE(GroundAt({coarse}, -1.0, 50.0).has_value());
    EXPECT_FALSE(GroundAt({coarse}, 50.0, 1261.0).has_value());
}

}  // namespace
