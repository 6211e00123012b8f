#include "map/map_layout.h"

#include <algorithm>
#include <set>
#include <utility>

namespace map {

MapLayout LayOutMap(std::vector<world::SectorSource> sources) {
    MapLayout layout;
    static_cast<world::WorldLayout&>(layout) = world::LayOutWorld(std::move(sources));
    layout.unreadable.assign(layout.sectors.size(), 0);
    return layout;
}

bool EveryPlaceFilled(const MapLayout& layout) {
    std::set<std::pair<int, int>> places;
    for (const world::PlacedSector& sector : layout.sectors) {
        places.insert({sector.place.a, sector.place.b});
    }
    return places.size() == std::size_t(layout.columnsA) * std::size_t(layout.rowsB);
}

bool AnyUnreadable(const MapLayout& layout) {
    return std::any_of(layout.unreadable.begin(), layout.unreadable.end(),
                       [](char unreadable) { return unreadable != 0; });
}

}  // namespace map
