// The hillshade: light from the north-west (towards -x and -y), 45 degrees up, rounded to the
// nearest grey and held at 0 on slopes facing away, as the map, the 3D views and the web page
// all shade alike.

#include "world/relief_shading.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct LitSlope {
    const char* ground;
    double slopeX;
    double slopeY;
    int grey;
};

TEST(ReliefShadingTest, EachSlopeGetsTheLightItFacesRoundedAndHeldAtBlack) {
    constexpr double Facing = 0.70710678118654752;  // the normal along the light
    const LitSlope slopes[] = {
        {"flat: 255 sin 45 = 180.3", 0.0, 0.0, 180},
        {"facing the light", Facing, Facing, 255},
        {"rising to the east, 217.66", 1.0, 0.0, 218},
        {"rising to the south, 217.66", 0.0, 1.0, 218},
        {"falling to the east, 37.34", -1.0, 0.0, 37},
        {"falling to the south", 0.0, -1.0, 37},
        {"gently away, 95.57", -0.3, -0.3, 96},
        {"steeply towards", 3.0, 3.0, 217},
        {"away beyond the horizon, -43", -1.0, -1.0, 0},
        {"a cliff facing away", -3.0, -3.0, 0},
        {"across the light: only the height matters", 1.0, -1.0, 104},
    };
    for (const LitSlope& slope : slopes) {
        EXPECT_EQ(int{world::Hillshade(slope.slopeX, slope.slopeY)}, slope.grey) << slope.ground;
    }
}

TEST(ReliefShadingTest, BothIsTheHeightsGreyTimesTheLightOver255) {
    EXPECT_EQ(world::Lit(255, 180), 180);
    EXPECT_EQ(world::Lit(200, 128), 100);
    EXPECT_EQ(world::Lit(0, 255), 0);
    EXPECT_EQ(world::Lit(254, 1), 0);
}

}  // namespace
