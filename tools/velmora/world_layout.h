#pragma once
// Where the sectors of a world lie: sector "A_B" sits at grid position (A, B); its sample
// (row r, column c) is world sample (126 A + r, 126 B + c), so neighbours share their edge
// samples. Names that are not two non-negative integers joined by '_' have no place.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue_session.h"
#include "terrain/heightmap_samples.h"

// Sample steps between neighbouring sectors: their edges are shared.
inline constexpr int SectorStride = GridSide - 1;

struct SectorPlace {
    int a = 0;
    int b = 0;
};

// The place named by a sector name, or nullopt. Each number is at most 99999.
std::optional<SectorPlace> ParseSectorPlace(std::string_view name);

struct PlacedSector {
    std::string name;
    std::string heightmapPath;
    SectorPlace place;
    bool unreadable = false;  // found unreadable and skipped once: not read again
};

// The placed sectors of a world, ordered by B then A, and the box of places they cover.
struct WorldLayout {
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

// Lays out the sectors of a world. Lists the unplaced names once on stderr, prefixed by
// `command`. Throws CommandFailure (exit 1) when no sector has a place.
WorldLayout LayOutWorld(const std::vector<CatalogueSession::SectorFile>& files,
                        const std::string& command);

// Reads a sector's samples as the viewer does (missing samples of a short file are 0). False
// with the reason when the file cannot be read or holds no samples.
bool ReadSectorSamples(const std::string& heightmapPath, HeightmapSamples& samples,
                       std::string& reason);

// The host path of a heightmap, for messages.
std::string HostPathOf(const std::string& windowsPath);

// A sector name fit to stand inside a text file: bytes outside printable ASCII become '_'.
std::string PrintableName(std::string_view name);
