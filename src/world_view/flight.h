#pragma once
// How input moves the camera. The mouse works as in the viewer (left drag turns, right drag
// slides, the wheel lowers and raises, in the viewer's directions), but sliding and the wheel go
// faster the higher the camera is above the ground, so one gesture means as much on screen
// over a whole world as over a sector. Keys fly at a speed proportional to that height, up to
// a top speed the world's size sets (camera_box.h).

#include <limits>
#include <optional>

#include "world/world_camera.h"

namespace world_view {

// The viewer's steps: radians of turn per pixel of left drag, units of height per unit of
// wheel rotation (120 a notch).
inline constexpr double TurnStep = 0.005;
inline constexpr double WheelStep = 0.1;
// Height above the ground at which sliding and the wheel go at the viewer's pace.
inline constexpr double PaceHeight = 400.0;
// How close above the ground the camera may come, in world units.
inline constexpr double GroundClearance = 5.0;
// Flying speed in world units a second, per unit of height above the ground, and the least.
inline constexpr double SpeedPerHeight = 0.8;
inline constexpr double LeastSpeed = 30.0;
// Shift multiplies the speed by this.
inline constexpr double FastFactor = 4.0;

// The factor on the viewer's slide and wheel steps at this height above the ground.
double PaceScale(double heightAboveGround);

void Turn(world::Camera& camera, int dx, int dy);
// A right drag of (dx, dy) pixels.
void Slide(world::Camera& camera, int dx, int dy, double scale);
// A wheel rotation: forward (positive) lowers.
void Lower(world::Camera& camera, int rotation, double scale);

// Where the keys push: each -1, 0 or 1.
struct Thrust {
    int forward = 0;  // along the heading
    int right = 0;    // sideways
    int up = 0;
    bool fast = false;

    bool Any() const { return forward != 0 || right != 0 || up != 0; }
};

// The ground direction ahead: the way the view looks, or, looking nearly straight down, the way
// the picture's top points; unit length.
struct Heading {
    double x = 0.0;
    double y = 1.0;
};
Heading HeadingOf(const world::Camera& camera);

// Moves the camera for `seconds` of thrust, at most `topSpeed` world units a second whatever
// the height and Shift.
void Fly(world::Camera& camera, const Thrust& thrust, double seconds, double heightAboveGround,
         double topSpeed = std::numeric_limits<double>::infinity());

// Lifts the camera to the clearance above `ground` when it is lower; no ground: unchanged.
void KeepAboveGround(world::Camera& camera, std::optional<double> ground);

}  // namespace world_view
