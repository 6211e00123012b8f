// The status bar's texts and the copied camera: each value in its place, in the viewer's formats.

#include "world_view/readouts.h"

#include <gtest/gtest.h>

#include <numbers>

namespace {

using world_view::AnglesText;

TEST(ReadoutsTest, AnglesShowTheYawThenThePitchInDegreesAsTheViewerShowsThem) {
    EXPECT_EQ(AnglesText({0, 0, 0, std::numbers::pi / 2.0, std::numbers::pi}), "Z:90.0, Y:180.0");
    EXPECT_EQ(AnglesText({0, 0, 0, -std::numbers::pi / 4.0, 3.1}), "Z:-45.0, Y:177.6");
    EXPECT_EQ(AnglesText({0, 0, 0, 0.05, 0.0}), "Z:02.9, Y:00.0");
}

TEST(ReadoutsTest, ThePositionAndTheCopiedCameraKeepEachValueInItsPlace) {
    const world::Camera camera{1234.56, -78.9, 3000.04, 0.5, 3.3};
    EXPECT_EQ(world_view::PositionText(camera), "x:01234.6, y:-0078.9, z:03000.0");
    EXPECT_EQ(world_view::CameraArgument(camera), "1234.560,-78.900,3000.040,0.500000,3.300000");
}

TEST(ReadoutsTest, TheGroundTextNamesTheSectorAlongXThenAlongY) {
    EXPECT_EQ(world_view::GroundText(1260.0 * 3 + 5.0, 1260.0 + 7.0, 812, 203.0),
              "sector 3_1, sample 812, height 203.0");
    EXPECT_EQ(world_view::GroundText(0.5, 1260.0 * 12 - 0.5, 101, 25.26),
              "sector 0_11, sample 101, height 25.3");
    EXPECT_EQ(world_view::LoadingText(812, 4096), "loading 812 of 4,096 sectors");
}

}  // namespace
