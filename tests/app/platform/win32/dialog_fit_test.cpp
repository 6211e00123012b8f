#include <gtest/gtest.h>

#include "app/platform/win32/dialog_fit.h"

namespace {

constexpr SIZE Viewer{524, 508};
constexpr win32::BaseUnits Natural{7, 13};
constexpr win32::BaseUnits Smallest{4, 8};

SIZE Client(win32::BaseUnits base) {
    return SIZE{win32::DialogUnitsToPixels(Viewer.cx, base.width, 4),
                win32::DialogUnitsToPixels(Viewer.cy, base.height, 8)};
}

TEST(DialogFit, ADialogThatFitsKeepsItsBaseUnitsUpToTheLastPixel) {
    const SIZE exact = Client(Natural);  // 917 x 826
    for (const SIZE room : {exact, SIZE{1280, 1024}}) {
        const win32::DialogFit fit = win32::FitDialogToRoom(Viewer, Natural, Smallest, room);
        EXPECT_TRUE(fit.fits);
        EXPECT_EQ(fit.baseUnits.width, 7);
        EXPECT_EQ(fit.baseUnits.height, 13);
    }
}

TEST(DialogFit, ATooLargeDialogShrinksJustEnoughInItsOwnProportions) {
    // Too low (a 1366 x 768 screen), too narrow, and both with the width deciding.
    for (const SIZE room : {SIZE{1366, 768}, SIZE{800, 1024}, SIZE{700, 700}}) {
        const win32::DialogFit fit = win32::FitDialogToRoom(Viewer, Natural, Smallest, room);
        EXPECT_TRUE(fit.fits);
        EXPECT_NEAR(fit.baseUnits.width / fit.baseUnits.height, 7.0 / 13.0, 1e-9);
        const SIZE client = Client(fit.baseUnits);
        EXPECT_LE(client.cx, room.cx);
        EXPECT_LE(client.cy, room.cy);
        // Just enough: the deciding side fills the room to the pixel.
        EXPECT_TRUE(client.cx == room.cx || client.cy == room.cy)
            << client.cx << " x " << client.cy << " in " << room.cx << " x " << room.cy;
    }
}

TEST(DialogFit, BelowTheSmallestReadableFontItStopsAtThatFontAndSaysSo) {
    const win32::DialogFit fit = win32::FitDialogToRoom(Viewer, Natural, Smallest, SIZE{400, 300});
    EXPECT_FALSE(fit.fits);
    EXPECT_NEAR(fit.baseUnits.width / fit.baseUnits.height, 7.0 / 13.0, 1e-9);
    // The direction that reaches the font's base units first decides: no text is cut.
    EXPECT_GE(fit.baseUnits.width, Smallest.width);
    EXPECT_DOUBLE_EQ(fit.baseUnits.height, Smallest.height);
}

TEST(DialogFit, FractionalBaseUnitsRoundEachEdgeToTheNearestPixel) {
    // 6.5 / 4 = 1.625 pixels a unit: 4 units are 6.5 and round up, 3 units are 4.875.
    EXPECT_EQ(win32::DialogUnitsToPixels(4, 6.5, 4), 7);
    EXPECT_EQ(win32::DialogUnitsToPixels(3, 6.5, 4), 5);
    EXPECT_EQ(win32::DialogUnitsToPixels(-4, 6.5, 4), -7);
    const RECT rect =
        win32::DialogRectToPixels(win32::DialogRect{56, 40, 464, 464}, win32::BaseUnits{6.5, 12.5});
    EXPECT_EQ(rect.left, 91);     // 91.0
    EXPECT_EQ(rect.top, 63);      // 62.5
    EXPECT_EQ(rect.right, 845);   // 91 + 754
    EXPECT_EQ(rect.bottom, 788);  // 63 + 725
}

}  // namespace
