#pragma once
// A world of the catalogue laid out by the world library (src/world): its sectors at their host
// paths, for the commands that read every sector (map, export --all).

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue_session.h"
#include "world/world_layout.h"

using world::SectorStride;

struct CatalogueLayout : world::WorldLayout {
    // Per sector: found unreadable and skipped once, so not read again.
    std::vector<char> unreadable;
};

// The catalogue's sector files at their host paths.
std::vector<world::SectorSource> SectorSourcesOf(
    const std::vector<CatalogueSession::SectorFile>& files);

// Lays out the catalogue's sector files. Lists the unplaced names once on stderr, prefixed by
// `command`. Throws CommandFailure (exit 1) when no sector has a place.
CatalogueLayout LayOutWorld(const std::vector<CatalogueSession::SectorFile>& files,
                            const std::string& command);

// Where a heightmap the catalogue names by its Windows path lies on this machine.
std::filesystem::path HostPathOf(const std::string& windowsPath);

// A sector name fit to stand inside a text file: bytes outside printable ASCII become '_'.
std::string PrintableName(std::string_view name);
