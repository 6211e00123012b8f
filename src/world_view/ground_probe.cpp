#include "world_view/ground_probe.h"

#include <numbers>

#include "world_view/ground_height.h"

namespace world_view {

namespace {

// The probe's view: small, and asking for the finest level the model has.
constexpr int ProbeSide = 16;
constexpr double ProbeError = 0.01;

}  // namespace

std::optional<double> GroundBelow(world::WorldModel& model, double x, double y) {
    const world::WorldModel::Bounds extent = model.Extent();
    if (x < extent.minX || y < extent.minY || x > extent.maxX || y > extent.maxY) {
        return std::nullopt;
    }
    world::Camera probe;
    probe.x = x;
    probe.y = y;
    // Low, so that the view's footprint on the ground stays small.
    probe.z = extent.maxZ + 10.0;
    probe.yaw = 0.0;
    probe.pitch = std::numbers::pi;  // straight down
    const world::FrameSelection below = model.Select(probe, ProbeSide, ProbeSide, ProbeError);
    const std::optional<GroundPoint> ground = GroundAt(below.patches, x, y);
    if (!ground) {
        return std::nullopt;
    }
    return ground->height;
}

}  // namespace world_view
