#pragma once
// The constants of the mouse navigation.

#include <windows.h>

// Radians of yaw or pitch per pixel of left drag.
inline constexpr FLOAT TurnStep = 0.005f;
// World units of height per unit of wheel delta (120 a notch).
inline constexpr FLOAT WheelStep = 0.1f;
// Both members of the drag anchor while no drag is in progress.
inline constexpr LONG NoAnchor = -9999;
