// The camera's clearance: lifted to a little above the ground the model shows below it, never
// pushed down, and left alone where there is no ground.

#include "world_view/flight.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "world/world_files.h"
#include "world_view/ground_probe.h"

namespace {

using world_view::GroundClearance;
using world_view::KeepAboveGround;

TEST(FlightTest, TheCameraIsLiftedToItsClearanceAboveTheGroundAndNeverPushedDown) {
    // Closer than the near plane, the ground right below the camera would be cut away.
    EXPECT_GE(GroundClearance, world::NearPlane);
    world::Camera camera{100.0, 200.0, 40.0, 0.3, 3.5};
    KeepAboveGround(camera, 50.0);
    EXPECT_DOUBLE_EQ(camera.z, 50.0 + GroundClearance);
    EXPECT_DOUBLE_EQ(camera.x, 100.0);
    EXPECT_DOUBLE_EQ(camera.y, 200.0);
    EXPECT_DOUBLE_EQ(camera.yaw, 0.3);
    EXPECT_DOUBLE_EQ(camera.pitch, 3.5);
    camera.z = 50.0 + GroundClearance + 0.5;
    KeepAboveGround(camera, 50.0);
    EXPECT_DOUBLE_EQ(camera.z, 50.5 + GroundClearance);
    camera.z = -20.0;
    KeepAboveGround(camera, std::nullopt);
    EXPECT_DOUBLE_EQ(camera.z, -20.0);
}

// A sloping plane over four sectors, steeper along x than along y: every level draws it exactly,
// so the ground below any point is known.
TEST(FlightTest, TheGroundBelowTheCameraIsTheGroundAtItsPlace) {
    TemporaryDirectory folder;
    std::vector<world::SectorSource> sources;
    for (int a = 0; a < 2; ++a) {
        for (int b = 0; b < 2; ++b) {
            sources.push_back(world_test::WriteSector(
                folder.path(), std::to_string(a) + "_" + std::to_string(b), [=](int r, int c) {
                    return static_cast<std::uint16_t>(1000 + 3 * (126 * a + r) + (126 * b + c));
                }));
        }
    }
    world::WorldModel model(sources, {});
    std::mt19937 random(9);
    std::uniform_real_distribution<double> across(0.0, 2520.0);
    for (int probe = 0; probe < 40; ++probe) {
        const double x = across(random);
        const double y = across(random);
        const double ground = 0.25 * (1000.0 + 3.0 * x / 10.0 + y / 10.0);
        const std::optional<double> below = world_view::GroundBelow(model, x, y);
        ASSERT_TRUE(below.has_value()) << x << "," << y;
        EXPECT_NEAR(*below, ground, 1e-6) << x << "," << y;
        world::Camera camera{x, y, ground - 30.0, 1.0, 3.3};
        KeepAboveGround(camera, below);
        EXPECT_NEAR(camera.z, ground + GroundClearance, 1e-6);
    }
    EXPECT_FALSE(world_view::GroundBelow(model, -5.0, 100.0).has_value());
    EXPECT_FALSE(world_view::GroundBelow(model, 100.0, 2530.0).has_value());
}

}  // namespace
