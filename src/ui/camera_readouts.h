#pragma once
// The two camera readouts as text.

#include <afx.h>

// r * 0.5 / 3.14159265359 * 360, in that order, with pi as that twelve-digit decimal.
double RadiansToDegrees(double radians);

// "Z:%04.1f, Y:%04.1f" of the current yaw and pitch in degrees.
CString FormatCameraAngles();
// "x:%07.1f, y:%07.1f, z:%07.1f" of the current camera position.
CString FormatCameraLocation();
