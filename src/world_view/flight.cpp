#include "world_view/flight.h"

#include <algorithm>
#include <cmath>

namespace world_view {

double PaceScale(double heightAboveGround) {
    // Never quite stopped, even on the ground.
    return std::max(0.05, heightAboveGround / PaceHeight);
}

void Turn(world::Camera& camera, int dx, int dy) {
    camera.yaw -= dx * TurnStep;
    camera.pitch += dy * TurnStep;
}

void Slide(world::Camera& camera, int dx, int dy, double scale) {
    // The viewer's directions: one unit per pixel in the ground plane at its pace.
    const double s = std::sin(camera.yaw);
    const double c = std::cos(camera.yaw);
    camera.x += (dy * s + dx * c) * scale;
    camera.y += (dy * c - dx * s) * scale;
}

void Lower(world::Camera& camera, int rotation, double scale) {
    camera.z -= rotation * WheelStep * scale;
}

Heading HeadingOf(const world::Camera& camera) {
    // The view's direction is (sin p sin yaw, sin p cos yaw, cos p) and the picture's top
    // (cos p sin yaw, cos p cos yaw, -sin p): take the view's ground part while it is at least
    // 30 degrees from the vertical, else the top's. In the usual range (pi to 3 pi / 2) both
    // point the same way, so the heading never jumps there.
    const double sp = std::sin(camera.pitch);
    const double cp = std::cos(camera.pitch);
    const double along = std::abs(sp) >= 0.5 ? sp : cp;
    const double sign = along < 0.0 ? -1.0 : 1.0;
    return {sign * std::sin(camera.yaw), sign * std::cos(camera.yaw)};
}

void Fly(world::Camera& camera, const Thrust& thrust, double seconds, double heightAboveGround,
         double topSpeed) {
    const double speed =
        std::min(std::max(LeastSpeed, SpeedPerHeight * std::max(heightAboveGround, 0.0)) *
                     (thrust.fast ? FastFactor : 1.0),
                 topSpeed);
    const Heading ahead = HeadingOf(camera);
    // The picture's right, in the ground plane.
    const double rightX = std::cos(camera.yaw);
    const double rightY = -std::sin(camera.yaw);
    double x = thrust.forward * ahead.x + thrust.right * rightX;
    double y = thrust.forward * ahead.y + thrust.right * rightY;
    const double length = std::hypot(x, y);
    if (length > 1.0) {
        x /= length;
        y /= length;
    }
    camera.x += x * speed * seconds;
    camera.y += y * speed * seconds;
    camera.z += thrust.up * speed * seconds;
}

void KeepAboveGround(world::Camera& camera, std::optional<double> ground) {
    if (ground && camera.z < *ground + GroundClearance) {
        camera.z = *ground + GroundClearance;
    }
}

}  // namespace world_view
