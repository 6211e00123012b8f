#pragma once
// The texts the window shows and copies: the camera in the viewer's two readout formats, the
// ground under the pointer, the first pass's progress, and the camera as `velmora render
// --camera` takes it.

#include <cstddef>
#include <cstdint>
#include <string>

#include "world/world_camera.h"

namespace world_view {

// "Z:%04.1f, Y:%04.1f": the yaw, then the pitch, in degrees.
std::string AnglesText(const world::Camera& camera);
// "x:%07.1f, y:%07.1f, z:%07.1f".
std::string PositionText(const world::Camera& camera);
// "X,Y,Z,YAW,PITCH", angles in radians.
std::string CameraArgument(const world::Camera& camera);

// "sector 1_2, sample 812, height 203.0, x 1265.0, y 2570.4": the sector under the world point
// (x, y), the drawn sample nearest to it, the ground's height there and the point, in world
// units.
std::string GroundText(double x, double y, std::uint16_t sample, double height);
// Where no ground is drawn at (x, y): "no sector at 1_2" inside the world, "sector 1_2 could
// not be read" where a sector's file is unreadable, and beyond the world "outside the world".
std::string HoleText(double x, double y);
std::string UnreadableText(double x, double y);
std::string OutsideText();

// "loading 812 of 4,096 sectors".
std::string LoadingText(std::size_t done, std::size_t total);

}  // namespace world_view
