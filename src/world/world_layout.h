#pragma once
// The placed sectors of a world and the box of places they cover.

#include <cstdint>
#include <string>
#include <vector>

#include "world/sector_place.h"
#include "world/sector_source.h"

namespace world {

struct PlacedSector {
    SectorSource source;
    SectorPlace place;
};

struct WorldLayout {
    // Ordered by B, then A; where two names give one place ("01_2" and "1_2"), both are kept
    // and the later in this order is the one drawn.
    std::vector<PlacedSector> sectors;
    std::vector<std::string> unplaced;
    int firstA = 0;
    int firstB = 0;
    int columnsA = 0;  // places along A, from firstA
    int rowsB = 0;     // places along B, from firstB

    // World samples along x (A) and y (B) over the box, shared edges once.
    std::int64_t SamplesX() const { return std::int64_t{columnsA} * SectorStride + 1; }
    std::int64_t SamplesY() const { return std::int64_t{rowsB} * SectorStride + 1; }
};

// Places the sectors; the box is empty (0 columns) when none has a place.
WorldLayout LayOutWorld(std::vector<SectorSource> sources);

}  // namespace world
