// A glide to a new camera: from the old camera to the new one, each angle turning the short way
// round, across the 0/360 degree seam too.

#include "world_view/glide.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

namespace {

using world_view::Glide;

constexpr double Turn = 2.0 * std::numbers::pi;
constexpr double Seconds = 0.8;

// Along the glide, the angle stays on the short arc from `from` to `to`, moving one way only,
// and ends on `to` (give or take whole turns).
void ExpectShortWay(const Glide& glide, double world::Camera::*angle, double from, double to) {
    double turn = std::fmod(to - from, Turn);
    turn += turn > std::numbers::pi ? -Turn : (turn <= -std::numbers::pi ? Turn : 0.0);
    double before = glide.At(0.0).*angle;
    EXPECT_DOUBLE_EQ(before, from);
    for (int step = 1; step <= 20; ++step) {
        const double now = glide.At(Seconds * step / 20.0).*angle;
        EXPECT_LE(std::abs(now - from), std::abs(turn) + 1e-9) << from << " to " << to;
        EXPECT_GE((now - before) * (turn < 0.0 ? -1.0 : 1.0), -1e-12) << from << " to " << to;
        before = now;
    }
    const double turns = (glide.At(2.0 * Seconds).*angle - to) / Turn;
    EXPECT_NEAR(turns, std::round(turns), 1e-9) << from << " to " << to;
}

TEST(GlideTest, EachAngleTurnsTheShortWayAcrossTheSeamAndTheGlideEndsWhereAsked) {
    constexpr double Degree = std::numbers::pi / 180.0;
    for (const auto& [fromYaw, toYaw] : std::vector<std::pair<double, double>>{
             {350, 10}, {10, 350}, {-170, 170}, {725, -5}, {0, 179}, {0, -179}, {90, 90}}) {
        const world::Camera from{0.0, 0.0, 100.0, fromYaw * Degree, 5.0 * Degree};
        const world::Camera to{1000.0, -500.0, 300.0, toYaw * Degree, 355.0 * Degree};
        const Glide glide(from, to, Seconds);
        ExpectShortWay(glide, &world::Camera::yaw, from.yaw, to.yaw);
        ExpectShortWay(glide, &world::Camera::pitch, from.pitch, to.pitch);
        EXPECT_NEAR(glide.At(Seconds / 2.0).x, 500.0, 1e-9);
        EXPECT_NEAR(glide.At(Seconds / 2.0).z, 200.0, 1e-9);
        EXPECT_DOUBLE_EQ(glide.At(Seconds).y, to.y);
        EXPECT_TRUE(glide.Over(Seconds));
        EXPECT_FALSE(glide.Over(Seconds / 2.0));
    }
    std::mt19937 random(4);
    std::uniform_real_distribution<double> angle(-2.0 * Turn, 2.0 * Turn);
    for (int round = 0; round < 300; ++round) {
        const world::Camera from{0, 0, 0, angle(random), angle(random)};
        const world::Camera to{0, 0, 0, angle(random), angle(random)};
        const Glide glide(from, to, Seconds);
        ExpectShortWay(glide, &world::Camera::yaw, from.yaw, to.yaw);
        ExpectShortWay(glide, &world::Camera::pitch, from.pitch, to.pitch);
    }
}

}  // namespace
