#include "world/world_layout.h"

#include <algorithm>

namespace world {

WorldLayout LayOutWorld(std::vector<SectorSource> sources) {
    WorldLayout layout;
    layout.sectors.reserve(sources.size());
    for (SectorSource& source : sources) {
        // Moved, not copied: a host path is many allocations, and a world many thousand paths.
        if (const auto place = ParseSectorPlace(source.name)) {
            layout.sectors.push_back({std::move(source), *place});
        } else {
            layout.unplaced.push_back(std::move(source.name));
        }
    }
    if (layout.sectors.empty()) {
        return layout;
    }
    std::stable_sort(layout.sectors.begin(), layout.sectors.end(),
                     [](const PlacedSector& left, const PlacedSector& right) {
                         return std::pair(left.place.b, left.place.a) <
                                std::pair(right.place.b, right.place.a);
                     });
    const auto samePlace = [](const PlacedSector& left, const PlacedSector& right) {
        return left.place.a == right.place.a && left.place.b == right.place.b;
    };
    for (auto run = layout.sectors.begin(); run != layout.sectors.end();) {
        const auto end = std::find_if_not(
            run, layout.sectors.end(), [&](const PlacedSector& s) { return samePlace(s, *run); });
        for (auto left = run; left + 1 < end; ++left) {
            layout.shared.push_back({left->source.name, (end - 1)->source.name});
        }
        run = end;
    }
    int lastA = 0;
    int lastB = 0;
    layout.firstA = layout.sectors.front().place.a;
    layout.firstB = layout.sectors.front().place.b;
    for (const PlacedSector& sector : layout.sectors) {
        layout.firstA = std::min(layout.firstA, sector.place.a);
        lastA = std::max(lastA, sector.place.a);
        lastB = std::max(lastB, sector.place.b);
    }
    layout.columnsA = lastA - layout.firstA + 1;
    layout.rowsB = lastB - layout.firstB + 1;
    return layout;
}

}  // namespace world
