#include "world_view/camera_box.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "world/overview_camera.h"

namespace world_view {

namespace {

// The overview camera stands 0.6 of the world's span beyond its low-y edge and half a span
// above its highest ground: the box holds it with room to spare.
constexpr double SideMargin = 0.65;
constexpr double Ceiling = 0.6;
// Units the floor rises per unit beyond the world's edges.
constexpr double FloorSlope = 0.5;
// Angles beyond this many turns are reduced to their place within one.
constexpr double TurnsKept = 2.0;

// The extent to plan for: the world's, or where it has none to give, one sector's square at
// the origin.
world::WorldModel::Bounds Usable(const world::WorldModel::Bounds& extent) {
    const bool finite = std::isfinite(extent.minX) && std::isfinite(extent.minY) &&
                        std::isfinite(extent.minZ) && std::isfinite(extent.maxX) &&
                        std::isfinite(extent.maxY) && std::isfinite(extent.maxZ);
    if (finite && extent.minX <= extent.maxX && extent.minY <= extent.maxY &&
        extent.minZ <= extent.maxZ) {
        return extent;
    }
    return {0.0, 0.0, 0.0, world::SectorSideUnits, world::SectorSideUnits, 0.0};
}

double Reduced(double angle) {
    constexpr double Turn = 2.0 * std::numbers::pi;
    return std::abs(angle) > TurnsKept * Turn ? std::fmod(angle, Turn) : angle;
}

// NaN goes to the low end: a camera made of NaNs comes back in the box.
double Within(double value, double low, double high) {
    return value >= low ? std::min(value, high) : low;
}

}  // namespace

double WorldSpan(const world::WorldModel::Bounds& extent) {
    const world::WorldModel::Bounds e = Usable(extent);
    return std::max({e.maxX - e.minX, e.maxY - e.minY, world::SectorSideUnits});
}

CameraBox CameraBoxOf(const world::WorldModel::Bounds& extent) {
    const world::WorldModel::Bounds e = Usable(extent);
    const double span = WorldSpan(e);
    const double side = SideMargin * span;
    return {e.minX - side, e.minY - side, e.minZ,
            e.maxX + side, e.maxY + side, e.maxZ + Ceiling * span};
}

double FloorAt(const world::WorldModel::Bounds& extent, double x, double y) {
    const world::WorldModel::Bounds e = Usable(extent);
    const double outX = std::max({e.minX - x, 0.0, x - e.maxX});
    const double outY = std::max({e.minY - y, 0.0, y - e.maxY});
    return e.minZ + FloorSlope * std::hypot(outX, outY);
}

void KeepInBox(world::Camera& camera, const world::WorldModel::Bounds& extent) {
    const CameraBox box = CameraBoxOf(extent);
    camera.x = Within(camera.x, box.minX, box.maxX);
    camera.y = Within(camera.y, box.minY, box.maxY);
    camera.z = Within(camera.z, FloorAt(extent, camera.x, camera.y), box.maxZ);
    camera.yaw = std::isfinite(camera.yaw) ? Reduced(camera.yaw) : 0.0;
    camera.pitch = std::isfinite(camera.pitch) ? Reduced(camera.pitch) : std::numbers::pi;
}

double TopSpeed(const world::WorldModel::Bounds& extent) {
    const world::WorldModel::Bounds e = Usable(extent);
    const double spanX = std::max(e.maxX - e.minX, world::SectorSideUnits);
    const double spanY = std::max(e.maxY - e.minY, world::SectorSideUnits);
    return WorldFractionPerSecond * std::sqrt(spanX * spanY);
}

}  // namespace world_view
