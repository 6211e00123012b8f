#pragma once
// A world laid out for drawing it whole, band by band (src/world's placement), with the sectors
// found unreadable on the way: each is reported once, then its place stays empty.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "world/sector_source.h"
#include "world/world_layout.h"

namespace map {

struct MapLayout : world::WorldLayout {
    // Per sector: found unreadable and skipped once, so not read again.
    std::vector<char> unreadable;
};

// Told that sector `sector` of the layout cannot be read, and why. It throws to end the work, or
// returns to go on without the sector, which is then marked unreadable.
using UnreadableSector = std::function<void(std::size_t sector, const std::string& reason)>;

// Told how many sectors have been read so far.
using ReadProgress = std::function<void(std::size_t read)>;

// Places the sectors, none marked unreadable; the box is empty (0 columns) when none has a place.
MapLayout LayOutMap(std::vector<world::SectorSource> sources);

// Every place of the box holds a sector.
bool EveryPlaceFilled(const MapLayout& layout);

// Some sector has been marked unreadable.
bool AnyUnreadable(const MapLayout& layout);

}  // namespace map
