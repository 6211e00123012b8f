#pragma once
// A world of the catalogue at its host paths, for the commands that read every sector: laid out
// by the map library for map and export --all, with what those commands say of sectors left out.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue_session.h"
#include "map/map_layout.h"
#include "world/sector_source.h"

// The catalogue's sector files at their host paths.
std::vector<world::SectorSource> SectorSourcesOf(
    const std::vector<CatalogueSession::SectorFile>& files);

// Says on stderr, once, which sectors have no place on the grid and are left out.
void SayUnplaced(const std::string& command, const std::vector<std::string>& unplaced);

// Lays out the catalogue's sector files. Lists the unplaced names once on stderr, prefixed by
// `command`. Throws CommandFailure (exit 1) when no sector has a place.
map::MapLayout LayOutWorld(const std::vector<CatalogueSession::SectorFile>& files,
                           const std::string& command);

// Where a heightmap the catalogue names by its Windows path lies on this machine.
std::filesystem::path HostPathOf(const std::string& windowsPath);

// Says that sector s of the layout cannot be read: a failure (exit 1) unless skip, else one line
// on stderr prefixed by `command`, its place left empty.
void ReportUnreadable(const map::MapLayout& layout, std::size_t s, const std::string& reason,
                      bool skip, const std::string& command);

// A sector name fit to stand inside a text file: bytes outside printable ASCII become '_'.
std::string PrintableName(std::string_view name);
