#include "world_view/ground_height.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "terrain/grid_constants.h"

namespace world_view {

namespace {

bool Holds(const world::TerrainPatch& patch, int i, int j) {
    return !patch.present || (*patch.present)[static_cast<std::size_t>(i * patch.side + j)] != 0;
}

std::uint16_t Sample(const world::TerrainPatch& patch, int i, int j) {
    return (*patch.heights)[static_cast<std::size_t>(i * patch.side + j)];
}

}  // namespace

std::optional<GroundPoint> GroundAt(const std::vector<world::TerrainPatch>& patches, double x,
                                    double y) {
    const double sx = x / GridSpacing;
    const double sy = y / GridSpacing;
    const world::TerrainPatch* finest = nullptr;
    double u = 0.0;
    double v = 0.0;
    for (const world::TerrainPatch& patch : patches) {
        const std::size_t count = static_cast<std::size_t>(std::max(patch.side, 0)) *
                                  static_cast<std::size_t>(patch.side);
        if (patch.side < 2 || patch.step < 1 || !patch.heights || patch.heights->size() < count ||
            (patch.present && patch.present->size() < count)) {
            continue;
        }
        const double pu = (sx - static_cast<double>(patch.originX)) / patch.step;
        const double pv = (sy - static_cast<double>(patch.originY)) / patch.step;
        const double last = patch.side - 1;
        if (pu < 0.0 || pv < 0.0 || pu > last || pv > last) {
            continue;
        }
        if (finest == nullptr || patch.step < finest->step) {
            finest = &patch;
            u = pu;
            v = pv;
        }
    }
    if (finest == nullptr) {
        return std::nullopt;
    }
    const world::TerrainPatch& patch = *finest;
    const int i = std::min(static_cast<int>(u), patch.side - 2);
    const int j = std::min(static_cast<int>(v), patch.side - 2);
    const double fu = u - i;
    const double fv = v - j;
    if (!Holds(patch, i, j) || !Holds(patch, i + 1, j + 1) ||
        !Holds(patch, fu >= fv ? i + 1 : i, fu >= fv ? j : j + 1)) {
        return std::nullopt;
    }
    const double h00 = Sample(patch, i, j);
    const double h11 = Sample(patch, i + 1, j + 1);
    double sample = 0.0;
    // Cells are cut along their (i, j)-(i + 1, j + 1) diagonal.
    if (fu >= fv) {
        const double h10 = Sample(patch, i + 1, j);
        sample = h00 + fu * (h10 - h00) + fv * (h11 - h10);
    } else {
        const double h01 = Sample(patch, i, j + 1);
        sample = h00 + fv * (h01 - h00) + fu * (h11 - h01);
    }
    GroundPoint point;
    point.height = sample * HeightScale;
    point.nearest =
        Sample(patch, static_cast<int>(std::lround(u)), static_cast<int>(std::lround(v)));
    return point;
}

}  // namespace world_view
