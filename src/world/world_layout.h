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

// A sector left out because another name gives its place ("01_2" beside "1_2").
struct SharedPlace {
    std::string name;   // left out
    std::string drawn;  // the sector drawn at that place
};

struct WorldLayout {
    // Ordered by B, then A; where two names give one place ("01_2" and "1_2"), both are kept
    // and the later in this order is the one drawn, the others listed in `shared`.
    std::vector<PlacedSector> sectors;
    std::vector<std::string> unplaced;
    std::vector<SharedPlace> shared;
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
