// The camera's clearance: lifted to a little above the ground the model shows below it, never
// pushed down, and left alone where there is no ground. Its reach: keys held for seconds from
// the overview leave it in the box around the world with the world in view, at a top speed of
// a fraction of the world a second; near the ground the speed is the height's.

#include "world_view/flight.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "world/overview_camera.h"
#include "world/world_files.h"
#include "world_view/camera_box.h"
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

using Bounds = world::WorldModel::Bounds;

// A world of one sector, a usual one, a flat one away from the origin and one thousands of
// sectors wide.
const std::vector<Bounds> Extents = {
    {0, 0, 300, 1270, 1270, 450},
    {0, 0, 20, 7570, 7570, 751},
    {12600, 25200, 100, 25200, 30240, 100},
    {0, 0, 0, 3654000, 2142000, 16000},
};

// Whether some of the world's ground is on a picture 1.6 times as wide as high from `camera`.
bool WorldInView(const world::Camera& camera, const Bounds& extent) {
    const double tanY = std::tan(world::FieldOfView / 2.0);
    const double tanX = tanY * 1.6;
    for (int i = 0; i <= 8; ++i) {
        for (int j = 0; j <= 8; ++j) {
            const double x = extent.minX + (extent.maxX - extent.minX) * i / 8.0;
            const double y = extent.minY + (extent.maxY - extent.minY) * j / 8.0;
            const double z = (extent.minZ + extent.maxZ) / 2.0;
            const auto view = world::ToView(camera, x - camera.x, y - camera.y, z - camera.z);
            if (view[2] > world::NearPlane && std::abs(view[0] / view[2]) <= tanX &&
                std::abs(view[1] / view[2]) <= tanY) {
                return true;
            }
        }
    }
    return false;
}

bool InBox(const world::Camera& camera, const Bounds& extent) {
    const world_view::CameraBox box = world_view::CameraBoxOf(extent);
    return camera.x >= box.minX && camera.x <= box.maxX && camera.y >= box.minY &&
           camera.y <= box.maxY && camera.z <= box.maxZ &&
           camera.z >= world_view::FloorAt(extent, camera.x, camera.y) - 1e-6;
}

TEST(FlightTest, KeysHeldFiveSecondsFromTheOverviewStayInTheBoxWithTheWorldInView) {
    const std::vector<std::pair<const char*, world_view::Thrust>> keys = {
        {"ahead", {1, 0, 0, false}},
        {"back", {-1, 0, 0, false}},
        {"left", {0, -1, 0, false}},
        {"right, fast", {0, 1, 0, true}},
        {"up, fast", {0, 0, 1, true}},
        {"down, fast", {0, 0, -1, true}},
        {"ahead, right and up, fast", {1, 1, 1, true}},
    };
    for (const Bounds& extent : Extents) {
        const double span = world_view::WorldSpan(extent);
        // The overview is in the box as it is, and sees the world.
        const world::Camera overview = world::OverviewCamera(extent);
        world::Camera kept = overview;
        world_view::KeepInBox(kept, extent);
        EXPECT_TRUE(kept.x == overview.x && kept.y == overview.y && kept.z == overview.z &&
                    kept.yaw == overview.yaw && kept.pitch == overview.pitch);
        EXPECT_TRUE(WorldInView(overview, extent));
        for (const auto& [name, thrust] : keys) {
            world::Camera camera = overview;
            world::Camera secondAgo = camera;
            for (int frame = 1; frame <= 300; ++frame) {
                const world::Camera before = camera;
                // No ground below is known here: the highest counts, which flies slowest.
                world_view::Fly(camera, thrust, 1.0 / 60.0, camera.z - extent.maxZ,
                                world_view::TopSpeed(extent));
                world_view::KeepInBox(camera, extent);
                ASSERT_LE(std::hypot(camera.x - before.x, camera.y - before.y),
                          span * world_view::WorldFractionPerSecond / 60.0 + 1e-6)
                    << name << " frame " << frame;
                if (frame % 60 == 0) {
                    // A second of it: a fifth of the world at most.
                    EXPECT_LE(std::hypot(camera.x - secondAgo.x, camera.y - secondAgo.y),
                              0.2 * span)
                        << name;
                    secondAgo = camera;
                }
            }
            EXPECT_TRUE(InBox(camera, extent))
                << name << " at " << camera.x << "," << camera.y << "," << camera.z;
            EXPECT_TRUE(WorldInView(camera, extent))
                << name << " over " << extent.maxX << " x " << extent.maxY << " at " << camera.x
                << "," << camera.y << "," << camera.z;
        }
    }
}

TEST(FlightTest, AnyCameraIsBroughtIntoTheBoxWhateverTheWorld) {
    constexpr double Nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double Huge = std::numeric_limits<double>::infinity();
    std::mt19937 random(29);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(0, 300);
    std::vector<Bounds> extents = Extents;
    // A world without an extent to give (every sector unreadable), and one that makes no sense.
    extents.push_back({2520, 1260, 0, 2520, 1260, 0});
    extents.push_back({Nan, 5, 5, 0, 0, 0});
    for (const Bounds& extent : extents) {
        std::vector<world::Camera> wild = {{Nan, Nan, Nan, Nan, Nan},
                                           {Huge, -Huge, Huge, Huge, -Huge},
                                           {-1e300, 1e300, -1e300, 1e300, 1e300}};
        for (int k = 0; k < 200; ++k) {
            const auto any = [&] { return mantissa(random) * std::pow(10.0, exponent(random)); };
            wild.push_back({any(), any(), any(), any(), any()});
        }
        for (world::Camera camera : wild) {
            world_view::KeepInBox(camera, extent);
            EXPECT_TRUE(InBox(camera, extent)) << camera.x << "," << camera.y << "," << camera.z;
            EXPECT_LE(std::abs(camera.yaw), 4.0 * std::numbers::pi);
            EXPECT_LE(std::abs(camera.pitch), 4.0 * std::numbers::pi);
        }
        const double top = world_view::TopSpeed(extent);
        EXPECT_TRUE(top > 0.0 && std::isfinite(top)) << top;
    }
}

TEST(FlightTest, NearTheGroundTheSpeedIsTheHeightsWhateverTheWorld) {
    for (const Bounds& extent : Extents) {
        world::Camera camera{0.0, 0.0, 0.0, std::numbers::pi, 1.5 * std::numbers::pi};
        world_view::Fly(camera, {1, 0, 0, false}, 1.0, 200.0, world_view::TopSpeed(extent));
        EXPECT_NEAR(camera.y, world_view::SpeedPerHeight * 200.0, 1e-9);
    }
}

}  // namespace
