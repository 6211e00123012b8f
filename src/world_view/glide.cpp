#include "world_view/glide.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace world_view {

namespace {

// The same angle as `to`, less than half a turn from `from`.
double NearestAngle(double from, double to) {
    constexpr double Turn = 2.0 * std::numbers::pi;
    return from + std::remainder(to - from, Turn);
}

}  // namespace

Glide::Glide(const world::Camera& from, const world::Camera& to, double seconds)
    : from_(from), to_(to), seconds_(seconds) {
    to_.yaw = NearestAngle(from.yaw, to.yaw);
    to_.pitch = NearestAngle(from.pitch, to.pitch);
}

world::Camera Glide::At(double elapsed) const {
    if (Over(elapsed) || seconds_ <= 0.0) {
        return to_;
    }
    const double t = std::clamp(elapsed / seconds_, 0.0, 1.0);
    const double s = t * t * (3.0 - 2.0 * t);
    const auto mix = [s](double a, double b) { return a + (b - a) * s; };
    return {mix(from_.x, to_.x), mix(from_.y, to_.y), mix(from_.z, to_.z), mix(from_.yaw, to_.yaw),
            mix(from_.pitch, to_.pitch)};
}

}  // namespace world_view
