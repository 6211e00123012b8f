#pragma once
// MFC's CPoint: a POINT with constructors.

#include "app/platform/win32/win_types.h"

class CPoint : public POINT {
public:
    constexpr CPoint() : POINT{0, 0} {}
    constexpr CPoint(int initX, int initY) : POINT{initX, initY} {}
    constexpr CPoint(POINT point) : POINT(point) {}  // NOLINT: implicit like MFC

    friend constexpr bool operator==(const CPoint& a, const CPoint& b) {
        return a.x == b.x && a.y == b.y;
    }
};
