#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "ui/camera_readouts.h"
#include "ui/navigation_constants.h"
#include "ui/resource_ids.h"
#include "viewer_fixture.h"

namespace ui_test {
namespace {

// Points in the dialog's client area (pixels): over the viewport, which passes mouse input on
// to the dialog, and over the sector list, which keeps it.
constexpr int ViewX = 400;
constexpr int ViewY = 400;
constexpr int ListX = 50;
constexpr int ListY = 300;

class NavigationTest : public ViewerTest {
protected:
    NavigationTest() { AddSector("Eastquarlend", "1_1", 600); }

    // Runs the viewer with `steps` as one scripted step, then ends it with Escape.
    void Run(std::function<void()> steps) {
        Then(std::move(steps));
        Then([&] { ui.PressKey(VK_ESCAPE); });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_FALSE(ui.ScriptRanOut());
    }

    std::string Angles() const { return Text(dialog.m_angleEdit); }
    std::string Location() const { return Text(dialog.m_locationEdit); }

    ViewerDialog dialog;
};

TEST_F(NavigationTest, ReadoutsStayEmptyUntilTheFirstCameraChange) {
    Run([&] {
        ui.Paint(dialog.m_hWnd);
        ui.ChooseItem(IDC_SECTOR_LIST, 0);
        ui.ChooseItem(IDC_WORLD_COMBO, 0);
        ui.MoveMouse(ViewX, ViewY, MK_LBUTTON);  // anchors only
        ui.MoveMouse(ViewX, ViewY, 0);
        EXPECT_EQ(Angles(), "");
        EXPECT_EQ(Location(), "");
        // Typed text stays until the next camera change replaces it.
        ui.TypeText(IDC_ANGLE_EDIT, "typed");
        EXPECT_EQ(Angles(), "typed");
        dialog.m_viewport.SetFocus();
        ui.TurnWheel(120);
        EXPECT_EQ(Angles(), "Z:00.0, Y:177.6");
    });
}

TEST_F(NavigationTest, WheelNotchLowersOrRaisesByTwelveAndDraws) {
    Run([&] {
        ui.ChooseItem(IDC_SECTOR_LIST, 0);  // focus on the viewport, which passes the wheel on
        const std::size_t frames = Frames();
        ui.TurnWheel(120);
        EXPECT_FLOAT_EQ(CameraZ, 2988.0f);
        EXPECT_EQ(Location(), "x:00600.0, y:00600.0, z:02988.0");
        EXPECT_EQ(Angles(), "Z:00.0, Y:177.6");
        EXPECT_EQ(Frames(), frames + 1);
        ui.TurnWheel(-120);
        ui.TurnWheel(-120);
        EXPECT_FLOAT_EQ(CameraZ, 3012.0f);
        EXPECT_EQ(Location(), "x:00600.0, y:00600.0, z:03012.0");
        EXPECT_EQ(Frames(), frames + 3);
        // The list box keeps the wheel for itself.
        dialog.m_sectorList.SetFocus();
        ui.TurnWheel(120);
        EXPECT_FLOAT_EQ(CameraZ, 3012.0f);
    });
}

TEST_F(NavigationTest, WheelGoesBelowZeroAndTheMinusSignCountsInTheWidth) {
    Run([&] {
        dialog.m_viewport.SetFocus();
        ui.TurnWheel(30120);  // 3012 units down from 3000
        EXPECT_NEAR(CameraZ, -12.0f, 1e-3f);
        EXPECT_EQ(Location(), "x:00600.0, y:00600.0, z:-0012.0");
    });
}

TEST_F(NavigationTest, ResetRestoresTheDefaultsDrawsAndWritesTheReadouts) {
    Run([&] {
        dialog.m_viewport.SetFocus();
        ui.TurnWheel(-1200);
        ui.MoveMouse(ViewX, ViewY, MK_RBUTTON);
        ui.MoveMouse(ViewX + 30, ViewY - 7, MK_RBUTTON);
        ui.MoveMouse(ViewX + 30, ViewY - 7, 0);
        ui.MoveMouse(ViewX, ViewY, MK_LBUTTON);
        ui.MoveMouse(ViewX + 100, ViewY + 20, MK_LBUTTON);
        const std::size_t frames = Frames();
        EXPECT_TRUE(ui.ClickButton(IDC_RESET_CAMERA));
        EXPECT_EQ(Frames(), frames + 1);
        EXPECT_EQ(CameraX, 600.0f);
        EXPECT_EQ(CameraY, 600.0f);
        EXPECT_EQ(CameraZ, 3000.0f);
        EXPECT_EQ(CameraYaw, 0.0f);
        EXPECT_EQ(CameraPitch, 3.1f);
        EXPECT_EQ(Angles(), "Z:00.0, Y:177.6");
        EXPECT_EQ(Location(), "x:00600.0, y:00600.0, z:03000.0");
    });
}

TEST_F(NavigationTest, FirstMoveOfADragOnlyAnchors) {
    Run([&] {
        EXPECT_TRUE(ui.MoveMouse(ViewX, ViewY, MK_LBUTTON));
        EXPECT_EQ(dialog.DragAnchor.x, ViewX);
        EXPECT_EQ(dialog.DragAnchor.y, ViewY);
        EXPECT_EQ(Frames(), 0u);
        EXPECT_EQ(CameraYaw, 0.0f);
        EXPECT_EQ(Angles(), "");
    });
}

TEST_F(NavigationTest, LeftDragRightTurnsTheYawDown) {
    Run([&] {
        ui.MoveMouse(ViewX, ViewY, MK_LBUTTON);
        ui.MoveMouse(ViewX + 10, ViewY, MK_LBUTTON);
        EXPECT_EQ(CameraYaw, 0.0f - 10 * 0.005f);
        EXPECT_FLOAT_EQ(CameraYaw, -0.05f);
        EXPECT_EQ(CameraPitch, 3.1f);
        EXPECT_EQ(Angles(), "Z:-2.9, Y:177.6");
        EXPECT_EQ(Location(), "x:00600.0, y:00600.0, z:03000.0");
        EXPECT_EQ(Frames(), 1u);
        EXPECT_EQ(dialog.DragAnchor.x, ViewX + 10);
    });
}

TEST_F(NavigationTest, LeftDragDownTurnsThePitchUp) {
    Run([&] {
        ui.MoveMouse(ViewX, ViewY, MK_LBUTTON);
        ui.MoveMouse(ViewX, ViewY + 10, MK_LBUTTON);
        EXPECT_EQ(CameraPitch, 3.1f + 10 * 0.005f);
        EXPECT_FLOAT_EQ(CameraPitch, 3.15f);
        EXPECT_EQ(CameraYaw, 0.0f);
        EXPECT_EQ(Angles(), "Z:00.0, Y:180.5");
    });
}

TEST_F(NavigationTest, RightDragSlidesInTheGroundPlaneByTheYaw) {
    Run([&] {
        ui.MoveMouse(ViewX, ViewY, MK_RBUTTON);
        ui.MoveMouse(ViewX + 10, ViewY, MK_RBUTTON);
        EXPECT_FLOAT_EQ(CameraX, 610.0f);
        EXPECT_FLOAT_EQ(CameraY, 600.0f);
        EXPECT_EQ(Location(), "x:00610.0, y:00600.0, z:03000.0");
        // Down at yaw 0 increases y.
        ui.MoveMouse(ViewX + 10, ViewY + 5, MK_RBUTTON);
        EXPECT_FLOAT_EQ(CameraX, 610.0f);
        EXPECT_FLOAT_EQ(CameraY, 605.0f);

        ResetCameraState();
        CameraYaw = -1.5707964f;  // -pi/2
        ui.MoveMouse(ViewX + 20, ViewY + 5, MK_RBUTTON);
        EXPECT_FLOAT_EQ(CameraX, 600.0f);
        EXPECT_FLOAT_EQ(CameraY, 610.0f);
        EXPECT_EQ(CameraZ, 3000.0f);
        EXPECT_EQ(CameraYaw, -1.5707964f);
        EXPECT_EQ(CameraPitch, 3.1f);
        EXPECT_EQ(Location(), "x:00600.0, y:00610.0, z:03000.0");
    });
}

TEST_F(NavigationTest, SlideStoresInOrderWithTheCosineAsAFloatForTheLastProduct) {
    Run([&] {
        // Yaw and drag chosen so that the float product differs from a double one.
        CameraYaw = 0.3f;
        const float x = CameraX;
        const float y = CameraY;
        const double s = std::sin(static_cast<double>(CameraYaw));
        const double c = std::cos(static_cast<double>(CameraYaw));
        const float afterFirst = static_cast<float>(x + 50 * s);
        const float expectedY = static_cast<float>(y + 50 * c - 255 * s);
        const float expectedX = afterFirst + 255 * static_cast<float>(c);
        ASSERT_NE(expectedX, static_cast<float>(afterFirst + 255 * c));
        ui.MoveMouse(ViewX, ViewY, MK_RBUTTON);
        ui.MoveMouse(ViewX + 255, ViewY + 50, MK_RBUTTON);
        EXPECT_EQ(CameraX, expectedX);
        EXPECT_EQ(CameraY, expectedY);
        // One world unit per pixel: the camera moved by the drag's length.
        EXPECT_NEAR(std::hypot(CameraX - x, CameraY - y), std::hypot(255.0, 50.0), 1e-3);
    });
}

TEST_F(NavigationTest, BothButtonsTurnAndDoNotSlide) {
    Run([&] {
        ui.MoveMouse(ViewX, ViewY, MK_LBUTTON | MK_RBUTTON);
        ui.MoveMouse(ViewX + 10, ViewY, MK_LBUTTON | MK_RBUTTON);
        EXPECT_FLOAT_EQ(CameraYaw, -0.05f);
        EXPECT_EQ(CameraX, 600.0f);
        EXPECT_EQ(CameraY, 600.0f);
    });
}

TEST_F(NavigationTest, AMoveWithoutLeftOrRightButtonDropsTheAnchorAndDrawsNothing) {
    for (const UINT flags : {0u, MK_MBUTTON, MK_SHIFT | MK_CONTROL}) {
        ResetCameraState();
        ViewerDialog viewer;
        Then([&] {
            ui.MoveMouse(ViewX, ViewY, MK_LBUTTON);
            ui.MoveMouse(ViewX + 10, ViewY, flags);
            EXPECT_EQ(viewer.DragAnchor.x, NoAnchor) << flags;
            EXPECT_EQ(viewer.DragAnchor.y, NoAnchor) << flags;
            EXPECT_EQ(Frames(), 0u) << flags;
            // The next move with a button starts a new drag: it only anchors.
            ui.MoveMouse(ViewX + 50, ViewY + 50, MK_LBUTTON);
            EXPECT_EQ(CameraYaw, 0.0f) << flags;
            EXPECT_EQ(CameraPitch, 3.1f) << flags;
            ui.PressKey(VK_ESCAPE);
        });
        viewer.DoModal();
        recorder.ClearCalls();
    }
}

TEST_F(NavigationTest, ChangingButtonsKeepsTheAnchor) {
    Run([&] {
        ui.MoveMouse(ViewX, ViewY, MK_LBUTTON);
        ui.MoveMouse(ViewX + 10, ViewY, MK_RBUTTON);
        EXPECT_FLOAT_EQ(CameraX, 610.0f);
        EXPECT_EQ(CameraYaw, 0.0f);
        ui.MoveMouse(ViewX + 20, ViewY, MK_LBUTTON);
        EXPECT_FLOAT_EQ(CameraYaw, -0.05f);
        EXPECT_FLOAT_EQ(CameraX, 610.0f);
    });
}

TEST_F(NavigationTest, ResetKeepsTheAnchorSoTheDragGoesOnFromTheDefaults) {
    Run([&] {
        ui.MoveMouse(ViewX, ViewY, MK_LBUTTON);
        ui.MoveMouse(ViewX + 40, ViewY + 40, MK_LBUTTON);
        ui.ClickButton(IDC_RESET_CAMERA);
        EXPECT_EQ(dialog.DragAnchor.x, ViewX + 40);
        EXPECT_EQ(dialog.DragAnchor.y, ViewY + 40);
        ui.MoveMouse(ViewX + 50, ViewY + 40, MK_LBUTTON);
        EXPECT_FLOAT_EQ(CameraYaw, -0.05f);
        EXPECT_EQ(CameraPitch, 3.1f);
        EXPECT_EQ(Angles(), "Z:-2.9, Y:177.6");
    });
}

TEST_F(NavigationTest, MovesOverAControlAreNotSeenAndTheNextMoveAppliesTheWholeDisplacement) {
    Run([&] {
        ui.MoveMouse(ViewX, ViewY, MK_LBUTTON);
        EXPECT_FALSE(ui.MoveMouse(ListX, ListY, 0));
        EXPECT_EQ(dialog.DragAnchor.x, ViewX);
        ui.MoveMouse(ViewX + 20, ViewY, MK_LBUTTON);
        EXPECT_FLOAT_EQ(CameraYaw, -0.1f);
        EXPECT_EQ(Frames(), 1u);
    });
}

TEST_F(NavigationTest, CameraChangesAfterTheRendererIsGoneStillUpdateTheReadouts) {
    Run([&] {
        DestroyRenderer();
        ui.MoveMouse(ViewX, ViewY, MK_LBUTTON);
        ui.MoveMouse(ViewX, ViewY + 10, MK_LBUTTON);
        ui.Paint(dialog.m_hWnd);
        EXPECT_EQ(Angles(), "Z:00.0, Y:180.5");
        EXPECT_EQ(Frames(), 0u);
    });
}

TEST(CameraReadouts, RadiansToDegreesUsesTheTwelveDigitPi) {
    EXPECT_EQ(RadiansToDegrees(3.14159265359), 180.0);
    EXPECT_EQ(RadiansToDegrees(0.0), 0.0);
    // The true pi is a little smaller than the twelve-digit one.
    EXPECT_LT(RadiansToDegrees(M_PI), 180.0);
    EXPECT_NEAR(RadiansToDegrees(M_PI), 180.0, 1e-9);
    EXPECT_NEAR(RadiansToDegrees(-0.05), -2.8648, 1e-4);
}

TEST(CameraReadouts, WidthsAreMinimumsAndValuesRoundToOneDecimal) {
    ResetCameraState();
    CameraYaw = 10.0f;  // 573.0 degrees: wider than four characters
    CameraPitch = -0.001f;
    EXPECT_EQ(std::string(FormatCameraAngles()), "Z:573.0, Y:-0.1");
    CameraX = 123456.7f;
    CameraY = -600.0f;
    CameraZ = 0.04f;
    EXPECT_EQ(std::string(FormatCameraLocation()), "x:123456.7, y:-0600.0, z:00000.0");
    ResetCameraState();
}

}  // namespace
}  // namespace ui_test
