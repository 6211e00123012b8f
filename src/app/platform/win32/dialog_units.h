#pragma once
// Dialog units to pixels: a horizontal unit is a quarter of the font's base width, a vertical unit
// an eighth of its base height, rounded to the nearest pixel as MapDialogRect does. Base units are
// a font's whole pixels, or fractions of them once a dialog has been scaled down to fit its screen.

#include "app/platform/win32/dialog_template.h"
#include "app/platform/win32/win_types.h"

namespace win32 {

struct BaseUnits {
    double width = 7;  // the measured base units of an 8 pt sans font
    double height = 13;
};

constexpr int DialogUnitsToPixels(int units, double base, int divisor) {
    // Exact for whole base units (the divisors are powers of two); halves round away from zero.
    const double scaled = units * base / divisor;
    return scaled >= 0 ? static_cast<int>(scaled + 0.5) : -static_cast<int>(-scaled + 0.5);
}

// The rectangle in pixels: left, top, right, bottom.
constexpr RECT DialogRectToPixels(const DialogRect& rect, BaseUnits base) {
    const int left = DialogUnitsToPixels(rect.x, base.width, 4);
    const int top = DialogUnitsToPixels(rect.y, base.height, 8);
    return RECT{left, top, left + DialogUnitsToPixels(rect.cx, base.width, 4),
                top + DialogUnitsToPixels(rect.cy, base.height, 8)};
}

}  // namespace win32
