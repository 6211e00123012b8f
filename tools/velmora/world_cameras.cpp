#include "world_cameras.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// A sector's side in world units: the least size the cameras plan for.
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
    const double x = middleX;
    const double y = extent.minY - 0.6 * span;
    const double z = extent.maxZ + 0.5 * span;
    const double down = std::atan2(z - extent.minZ, middleY - y);
    return LookingAlong(x, y, z, 0.0, 1.0, down);
}

world::Camera LoopCamera(const world::WorldModel::Bounds& extent, int frame, int frames) {
    const double spanX = std::max(extent.maxX - extent.minX, SectorSide);
    const double spanY = std::max(extent.maxY - extent.minY, SectorSide);
    const double smaller = std::min(spanX, spanY);
    const double radius = 0.3 * smaller;
    const double height = extent.maxZ + std::max(150.0, 0.1 * smaller);
    const double angle = 2.0 * std::numbers::pi * frame / std::max(frames, 1);
    const double x = (extent.minX + extent.maxX) / 2.0 + radius * std::cos(angle);
    const double y = (extent.minY + extent.maxY) / 2.0 + radius * std::sin(angle);
    return LookingAlong(x, y, height, -std::sin(angle), std::cos(angle),
                        20.0 * std::numbers::pi / 180.0);
}
