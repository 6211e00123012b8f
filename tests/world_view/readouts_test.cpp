// The status bar's texts and the copied camera: each value in its place, in the viewer's formats;
// and where the pointer finds no ground, the words for what is there: a hole, a sector that
// could not be read, or nothing of the world.

#include "world_view/readouts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "world/overview_camera.h"
#include "world_view/world_places.h"

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

TEST(ReadoutsTest, TheGroundTextNamesTheSectorAlongXThenAlongYAndThePoint) {
    EXPECT_EQ(world_view::GroundText(1260.0 * 3 + 5.0, 1260.0 + 7.0, 812, 203.0),
              "sector 3_1, sample 812, height 203.0, x 3785.0, y 1267.0");
    EXPECT_EQ(world_view::GroundText(0.5, 1260.0 * 12 - 0.5, 101, 25.26),
              "sector 0_11, sample 101, height 25.3, x 0.5, y 15119.5");
    EXPECT_EQ(world_view::LoadingText(812, 4096), "loading 812 of 4,096 sectors");
}

// A world of 3 x 3 places without 1_1, with 2_2 drawn though a second name for it could not
// be read, and 4_1 beyond its edge could not be read; its ground between heights 100 and 300.
world_view::WorldPlaces Places() {
    std::vector<world::SectorPlace> drawn;
    for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b) {
            if (a != 1 || b != 1) {
                drawn.push_back({a, b});
            }
        }
    }
    return world_view::WorldPlaces({0, 0, 100, 3780, 3780, 300}, drawn, {{4, 1}, {2, 2}});
}

TEST(ReadoutsTest, EachPlaceIsSaidInItsWords) {
    const world_view::WorldPlaces places = Places();
    const struct {
        double x, y;
        const char* words;
    } cases[] = {
        {10.0, 10.0, ""},
        {3779.0, 3779.0, ""},
        {1260.0, 1260.0, "no sector at 1_1"},
        {2519.9, 1300.0, "no sector at 1_1"},
        {5500.0, 1300.0, "sector 4_1 could not be read"},
        {3800.0, 1300.0, "outside the world"},
        {-0.1, 500.0, "outside the world"},
        {500.0, 3780.0, "outside the world"},
        {1e300, -1e300, "outside the world"},
        {NAN, 0.0, "outside the world"},
    };
    for (const auto& place : cases) {
        EXPECT_EQ(places.WordsAt(place.x, place.y), place.words) << place.x << "," << place.y;
    }
    EXPECT_EQ(world_view::WorldPlaces().WordsAt(10.0, 10.0), "outside the world");
}

// Rays that met no ground: the first hole or unreadable sector they pass at the ground's
// heights, else nothing of the world.
TEST(ReadoutsTest, ARayThatMetNoGroundIsSaidByWhatItPassesFirst) {
    const world_view::WorldPlaces places = Places();
    const world::Camera overview = world::OverviewCamera({0, 0, 100, 3780, 3780, 300});
    const auto towards = [&](const world::Camera& from, double x, double y, double z) {
        return std::array<double, 3>{x - from.x, y - from.y, z - from.z};
    };
    const struct {
        world::Camera camera;
        std::array<double, 3> direction;
        const char* words;
    } cases[] = {
        // Straight down into the hole from within the ground's heights.
        {{1900, 1900, 150, 0, 0}, {0, 0, -1}, "no sector at 1_1"},
        // Over the ground before it, and past it beyond the world's far edge.
        {overview, towards(overview, 1890, 1890, 100), "no sector at 1_1"},
        {overview, towards(overview, 700, 8000, 100), "outside the world"},
        // Level, through the world's heights, into the hole and across to 4_1.
        {{-500, 1900, 200, 0, 0}, {1, 0, 0}, "no sector at 1_1"},
        {{-500, 700, 200, 0, 0}, {1, 0, 0}, "outside the world"},
        {{-500, 1300, 350, 0, 0}, {1, 0, -0.03}, "no sector at 1_1"},
        {{-500, 1300, 350, 0, 0}, {1, 0, -0.01}, "sector 4_1 could not be read"},
        {{5500, 1300, 5000, 0, 0}, {0, 0, -1}, "sector 4_1 could not be read"},
        {{3000, 1900, 200, 0, 0}, {1, 0, 0}, "sector 4_1 could not be read"},
        // Up into the sky, and down beside the world.
        {overview, {0, 1, 1}, "outside the world"},
        {{-500, -500, 5000, 0, 0}, {0, 0, -1}, "outside the world"},
    };
    for (const auto& ray : cases) {
        EXPECT_EQ(places.WordsAlong(ray.camera, ray.direction), ray.words)
            << ray.camera.x << "," << ray.camera.y << "," << ray.camera.z << " along "
            << ray.direction[0] << "," << ray.direction[1] << "," << ray.direction[2];
    }
    // A flat world: its heights are one.
    const world_view::WorldPlaces flat({0, 0, 100, 3780, 3780, 100}, {{0, 0}}, {});
    EXPECT_EQ(flat.WordsAlong({1900, 1900, 5000, 0, 0}, {0, 0, -1}), "no sector at 1_1");
    EXPECT_EQ(world_view::WorldPlaces().WordsAlong(overview, {0, 1, -1}), "outside the world");
}

}  // namespace
