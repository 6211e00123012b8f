#include "world/loop_camera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "world/overview_camera.h"

namespace world {

Camera LoopCamera(const WorldModel::Bounds& extent, int frame, int frames) {
    const double spanX = std::max(extent.maxX - extent.minX, SectorSideUnits);
    const double spanY = std::max(extent.maxY - extent.minY, SectorSideUnits);
    const double smaller = std::min(spanX, spanY);
    const double radius = 0.3 * smaller;
    const double height = extent.maxZ + std::max(150.0, 0.1 * smaller);
    const double angle = 2.0 * std::numbers::pi * frame / std::max(frames, 1);
    const double x = (extent.minX + extent.maxX) / 2.0 + radius * std::cos(angle);
    const double y = (extent.minY + extent.maxY) / 2.0 + radius * std::sin(angle);
    return LookingAlong(x, y, height, -std::sin(angle), std::cos(angle),
                        20.0 * std::numbers::pi / 180.0);
}

}  // namespace world
