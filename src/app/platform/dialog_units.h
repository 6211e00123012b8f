#pragma once
// Dialog units to pixels: a horizontal unit is a quarter of the font's base width, a vertical unit
// an eighth of its base height, rounded to the nearest pixel as MapDialogRect does.

#include "app/platform/dialog_template.h"
#include "app/platform/win_types.h"

struct BaseUnits {
    int width = 7;  // the measured base units of an 8 pt sans font
    int height = 13;
};

constexpr int DialogUnitsToPixels(int units, int base, int divisor) {
    const long long scaled = static_cast<long long>(units) * base;
    const long long half = divisor / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / divisor : (scaled - half) / divisor);
}

// The rectangle in pixels: left, top, right, bottom.
constexpr RECT DialogRectToPixels(const DialogRect& rect, BaseUnits base) {
    const int left = DialogUnitsToPixels(rect.x, base.width, 4);
    const int top = DialogUnitsToPixels(rect.y, base.height, 8);
    return RECT{left, top, left + DialogUnitsToPixels(rect.cx, base.width, 4),
                top + DialogUnitsToPixels(rect.cy, base.height, 8)};
}
