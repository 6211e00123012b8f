#include "camera/view_matrix.h"

#include <gtest/gtest.h>

#include <cmath>

#include "camera/camera_state.h"

namespace {

// Read during this file's dynamic initialisation, i.e. before main and in no guaranteed order
// with other files: the camera must already hold its defaults.
const CameraVector PositionSeenBeforeMain = CameraPosition;
const float PitchSeenBeforeMain = CameraPitch;

struct Point {
    float x, y, z;
};

Point Transform(const Point& p, const D3DXMATRIX& m) {
    return {p.x * m(0, 0) + p.y * m(1, 0) + p.z * m(2, 0) + m(3, 0),
            p.x * m(0, 1) + p.y * m(1, 1) + p.z * m(2, 1) + m(3, 1),
            p.x * m(0, 2) + p.y * m(1, 2) + p.z * m(2, 2) + m(3, 2)};
}

// Restores the defaults after each test that moves the camera.
class ViewMatrixTest : public ::testing::Test {
protected:
    void TearDown() override {
        CameraPosition = DefaultCameraPosition;
        CameraYaw = DefaultCameraYaw;
        CameraPitch = DefaultCameraPitch;
    }
};

TEST_F(ViewMatrixTest, DefaultsAreInPlaceBeforeMain) {
    EXPECT_EQ(PositionSeenBeforeMain.x, 600.0f);
    EXPECT_EQ(PositionSeenBeforeMain.y, 600.0f);
    EXPECT_EQ(PositionSeenBeforeMain.z, 3000.0f);
    EXPECT_EQ(PitchSeenBeforeMain, 3.1f);
    EXPECT_EQ(CameraYaw, 0.0f);
    // The nearest float to 3.1, not pi.
    EXPECT_EQ(static_cast<double>(CameraPitch), static_cast<double>(3.1f));
    EXPECT_NEAR(CameraPitch, 3.0999999046, 1e-9);
}

TEST_F(ViewMatrixTest, NamedValuesAreThePositionVector) {
    CameraX = 1.0f;
    CameraY = 2.0f;
    CameraZ = 3.0f;
    EXPECT_EQ(CameraPosition.x, 1.0f);
    EXPECT_EQ(CameraPosition.y, 2.0f);
    EXPECT_EQ(CameraPosition.z, 3.0f);
}

TEST_F(ViewMatrixTest, DefaultViewMapsTheCameraToTheOriginAndLooksAlmostStraightDown) {
    const D3DXMATRIX view = BuildViewMatrix();
    const Point origin = Transform({600.0f, 600.0f, 3000.0f}, view);
    EXPECT_NEAR(origin.x, 0.0f, 1e-3f);
    EXPECT_NEAR(origin.y, 0.0f, 1e-3f);
    EXPECT_NEAR(origin.z, 0.0f, 1e-3f);

    // The ground below the camera lies ahead (view +z), 3000 units away along the slant.
    const Point ground = Transform({600.0f, 600.0f, 0.0f}, view);
    EXPECT_NEAR(ground.z, 3000.0f * std::cos(0.0415927f), 0.5f);
    EXPECT_GT(ground.z, 2990.0f);
}

TEST_F(ViewMatrixTest, ZeroAnglesGiveTheTranslationAlone) {
    CameraPosition = {12.0f, -34.0f, 56.0f};
    CameraYaw = 0.0f;
    CameraPitch = 0.0f;
    const D3DXMATRIX view = BuildViewMatrix();
    const D3DXMATRIX expected(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -12, 34, -56, 1);
    EXPECT_EQ(view, expected);
}

TEST_F(ViewMatrixTest, TranslatesThenYawsThenPitches) {
    CameraPosition = {100.0f, 200.0f, 300.0f};
    CameraYaw = 0.5f;
    CameraPitch = 1.2f;
    const D3DXMATRIX view = BuildViewMatrix();

    const Point world{130.0f, 180.0f, 350.0f};
    // By hand: move, then turn about z (x toward +y), then about x (y toward +z).
    const double dx = 30.0, dy = -20.0, dz = 50.0;
    const double yaw = 0.5, pitch = 1.2;
    const double x1 = dx * std::cos(yaw) - dy * std::sin(yaw);
    const double y1 = dx * std::sin(yaw) + dy * std::cos(yaw);
    const double y2 = y1 * std::cos(pitch) - dz * std::sin(pitch);
    const double z2 = y1 * std::sin(pitch) + dz * std::cos(pitch);
    const Point view_point = Transform(world, view);
    EXPECT_NEAR(view_point.x, x1, 1e-3);
    EXPECT_NEAR(view_point.y, y2, 1e-3);
    EXPECT_NEAR(view_point.z, z2, 1e-3);

    // The viewing direction in world coordinates (the world vector that maps to view +z).
    const Point look{view(0, 2), view(1, 2), view(2, 2)};
    EXPECT_NEAR(look.x, std::sin(pitch) * std::sin(yaw), 1e-6);
    EXPECT_NEAR(look.y, std::sin(pitch) * std::cos(yaw), 1e-6);
    EXPECT_NEAR(look.z, std::cos(pitch), 1e-6);
}

}  // namespace
