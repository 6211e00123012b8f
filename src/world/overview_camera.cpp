#include "world/overview_camera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace world {

Camera LookingAlong(double x, double y, double z, double headingX, double headingY, double down) {
    // The view looks along (sin pitch sin yaw, sin pitch cos yaw, cos pitch); with sin pitch
    // negative the picture's top is the sky.
    Camera camera;
    camera.x = x;
    camera.y = y;
    camera.z = z;
    camera.yaw = std::atan2(-headingX, -headingY);
    camera.pitch = 1.5 * std::numbers::pi - down;
    return camera;
}

Camera OverviewCamera(const WorldModel::Bounds& extent) {
    const double spanX = std::max(extent.maxX - extent.minX, SectorSideUnits);
    const double spanY = std::max(extent.maxY - extent.minY, SectorSideUnits);
    const double span = std::max(spanX, spanY);
    const double middleX = (extent.minX + extent.maxX) / 2.0;
    const double middleY = (extent.minY + extent.maxY) / 2.0;
    const double y = extent.minY - 0.6 * span;
    const double z = extent.maxZ + 0.5 * span;
    const double down = std::atan2(z - extent.minZ, middleY - y);
    return LookingAlong(middleX, y, z, 0.0, 1.0, down);
}

}  // namespace world
