#include "world_view/view_cameras.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace world_view {

namespace {

// A sector's side in world units: the least size the overview plans for.
constexpr double SectorSide = 1260.0;

}  // namespace

world::Camera LookingAlong(double x, double y, double z, double headingX, double headingY,
                           double down) {
    // The view looks along (sin pitch sin yaw, sin pitch cos yaw, cos pitch); with sin pitch
    // negative the picture's top is the sky.
    world::Camera camera;
    camera.x = x;
    camera.y = y;
    camera.z = z;
    camera.yaw = std::atan2(-headingX, -headingY);
    camera.pitch = 1.5 * std::numbers::pi - down;
    return camera;
}

world::Camera OverviewCamera(const world::WorldModel::Bounds& extent) {
    const double spanX = std::max(extent.maxX - extent.minX, SectorSide);
    const double spanY = std::max(extent.maxY - extent.minY, SectorSide);
    const double span = std::max(spanX, spanY);
    const double middleX = (extent.minX + extent.maxX) / 2.0;
    const double middleY = (extent.minY + extent.maxY) / 2.0;
    const double y = extent.minY - 0.6 * span;
    const double z = extent.maxZ + 0.5 * span;
    const double down = std::atan2(z - extent.minZ, middleY - y);
    return LookingAlong(middleX, y, z, 0.0, 1.0, down);
}

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
    return LookingAlong(x - headingX * back, y - headingY * back, z + distance * std::sin(Down),
                        headingX, headingY, Down);
}

}  // namespace world_view
