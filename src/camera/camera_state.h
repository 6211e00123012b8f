#pragma once
// The viewer's one free camera: a position and two angles, program-wide for the whole run.
// Every value is constant-initialised, so the defaults are in place before any other static
// object is constructed and before any window exists.

#include <windows.h>

// A position as three single-precision components.
struct CameraVector {
    FLOAT x;
    FLOAT y;
    FLOAT z;
};

inline constexpr CameraVector DefaultCameraPosition{600.0f, 600.0f, 3000.0f};
inline constexpr FLOAT DefaultCameraYaw = 0.0f;
// The single-precision value nearest 3.1, not pi: the default view tilts about 2.4 degrees off
// straight down.
inline constexpr FLOAT DefaultCameraPitch = 3.1f;

// World units; never bounded.
inline constinit CameraVector CameraPosition = DefaultCameraPosition;
inline constinit FLOAT& CameraX = CameraPosition.x;
inline constinit FLOAT& CameraY = CameraPosition.y;
inline constinit FLOAT& CameraZ = CameraPosition.z;
// Radians; neither wrapped nor clamped. Yaw turns about the world z axis, pitch about x after it.
inline constinit FLOAT CameraYaw = DefaultCameraYaw;
inline constinit FLOAT CameraPitch = DefaultCameraPitch;
