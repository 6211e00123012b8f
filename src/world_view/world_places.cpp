#include "world_view/world_places.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "world/overview_camera.h"
#include "world_view/readouts.h"

namespace world_view {

namespace {

bool Before(const world::SectorPlace& p, const world::SectorPlace& q) {
    return p.b != q.b ? p.b < q.b : p.a < q.a;
}

std::vector<world::SectorPlace> Sorted(std::vector<world::SectorPlace> places) {
    std::sort(places.begin(), places.end(), Before);
    return places;
}

// Sector A spans world units 1260 A to 1260 (A + 1); far places saturate, never overflow.
int PlaceOf(double units) {
    const double place = std::floor(units / world::SectorSideUnits);
    return static_cast<int>(std::clamp(place, -1e9, 1e9));
}

// Where the ray p + t d is within [low, high] along one axis, cut into [t0, t1].
bool Clip(double p, double d, double low, double high, double& t0, double& t1) {
    if (d == 0.0) {
        return p >= low && p <= high;
    }
    double enter = (low - p) / d;
    double leave = (high - p) / d;
    if (enter > leave) {
        std::swap(enter, leave);
    }
    t0 = std::max(t0, enter);
    t1 = std::min(t1, leave);
    return t0 <= t1;
}

}  // namespace

WorldPlaces::WorldPlaces(const world::WorldModel::Bounds& extent,
                         std::vector<world::SectorPlace> drawn,
                         std::vector<world::SectorPlace> unreadable)
    : any_(true),
      extent_(extent),
      drawn_(Sorted(std::move(drawn))),
      unreadable_(Sorted(std::move(unreadable))) {}

WorldPlaces WorldPlaces::Of(const world::WorldModel& model,
                            const std::vector<std::string>& unreadableNames) {
    const world::WorldLayout& layout = model.Layout();
    std::vector<world::SectorPlace> drawn;
    drawn.reserve(layout.sectors.size());
    for (std::size_t s = 0; s < layout.sectors.size(); ++s) {
        const std::string& name = layout.sectors[s].source.name;
        if (model.Summary(s) != nullptr && std::find(unreadableNames.begin(), unreadableNames.end(),
                                                     name) == unreadableNames.end()) {
            drawn.push_back(layout.sectors[s].place);
        }
    }
    std::vector<world::SectorPlace> unreadable;
    for (const std::string& name : unreadableNames) {
        if (const std::optional<world::SectorPlace> place = world::ParseSectorPlace(name)) {
            unreadable.push_back(*place);
        }
    }
    return WorldPlaces(model.Extent(), std::move(drawn), std::move(unreadable));
}

bool WorldPlaces::Holds(const std::vector<world::SectorPlace>& places, int a, int b) const {
    const world::SectorPlace wanted{a, b};
    const auto found = std::lower_bound(places.begin(), places.end(), wanted, Before);
    return found != places.end() && found->a == a && found->b == b;
}

WorldPlaces::Kind WorldPlaces::At(double x, double y) const {
    if (!any_ || !std::isfinite(x) || !std::isfinite(y)) {
        return Kind::Outside;
    }
    const int a = PlaceOf(x);
    const int b = PlaceOf(y);
    if (Holds(drawn_, a, b)) {
        return Kind::Drawn;
    }
    if (Holds(unreadable_, a, b)) {
        return Kind::Unreadable;
    }
    if (x >= extent_.minX && x < extent_.maxX && y >= extent_.minY && y < extent_.maxY) {
        return Kind::Hole;
    }
    return Kind::Outside;
}

std::string WorldPlaces::WordsAt(double x, double y) const {
    switch (At(x, y)) {
        case Kind::Drawn:
            return {};
        case Kind::Hole:
            return HoleText(x, y);
        case Kind::Unreadable:
            return UnreadableText(x, y);
        case Kind::Outside:
            break;
    }
    return OutsideText();
}

std::string WorldPlaces::WordsAlong(const world::Camera& camera,
                                    const std::array<double, 3>& direction) const {
    if (!any_) {
        return OutsideText();
    }
    // The places worth looking at: the extent and the unreadable sectors' squares, at the
    // ground's heights (a flat world's too).
    double minX = extent_.minX;
    double minY = extent_.minY;
    double maxX = extent_.maxX;
    double maxY = extent_.maxY;
    for (const world::SectorPlace& place : unreadable_) {
        minX = std::min(minX, place.a * world::SectorSideUnits);
        minY = std::min(minY, place.b * world::SectorSideUnits);
        maxX = std::max(maxX, (place.a + 1) * world::SectorSideUnits);
        maxY = std::max(maxY, (place.b + 1) * world::SectorSideUnits);
    }
    double t0 = 0.0;
    double t1 = std::numeric_limits<double>::infinity();
    if (!Clip(camera.x, direction[0], minX, maxX, t0, t1) ||
        !Clip(camera.y, direction[1], minY, maxY, t0, t1) ||
        !Clip(camera.z, direction[2], extent_.minZ - 1.0, extent_.maxZ + 1.0, t0, t1) ||
        !std::isfinite(t1)) {
        return OutsideText();
    }
    // Steps of a few samples, a bounded number of them however long the way.
    constexpr double Step = 5.0 * world::SampleSpacing;
    constexpr int MostSteps = 4096;
    const double length = (t1 - t0) * std::hypot(direction[0], direction[1], direction[2]);
    const int steps = static_cast<int>(std::clamp(std::ceil(length / Step), 1.0, 1.0 * MostSteps));
    for (int k = 0; k <= steps; ++k) {
        const double t = t0 + (t1 - t0) * k / steps;
        const double x = camera.x + t * direction[0];
        const double y = camera.y + t * direction[1];
        const Kind kind = At(x, y);
        if (kind == Kind::Hole || kind == Kind::Unreadable) {
            return WordsAt(x, y);
        }
    }
    return OutsideText();
}

}  // namespace world_view
