#include "world_view/view_cameras.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace world_view {

world::Camera LookingAt(const world::Camera& from, double x, double y, double z) {
    constexpr double Down = 35.0 * std::numbers::pi / 180.0;
    const double dx = x - from.x;
    const double dy = y - from.y;
    const double dz = z - from.z;
    const double distance = std::clamp(std::sqrt(dx * dx + dy * dy + dz * dz) / 3.0, 150.0, 4000.0);
    double along = std::hypot(dx, dy);
    double headingX = dx;
    double headingY = dy;
    if (along < 1.0) {
        // Straight below: keep the way the picture's top points.
        headingX = -std::sin(from.yaw);
        headingY = -std::cos(from.yaw);
        along = 1.0;
    }
    headingX /= along;
    headingY /= along;
    const double back = distance * std::cos(Down);
    return world::LookingAlong(x - headingX * back, y - headingY * back,
                               z + distance * std::sin(Down), headingX, headingY, Down);
}

}  // namespace world_view
