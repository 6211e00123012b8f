#pragma once
// What the commands that read every sector of a world say of its layout: sectors left out, and
// sectors that cannot be read (map and export --all lay the world out through the map library).

#include <cstddef>
#include <string>
#include <vector>

#include "headless_catalogue/catalogue_session.h"
#include "map/map_layout.h"

// Says on stderr, once, which sectors have no place on the grid and are left out.
void SayUnplaced(const std::string& command, const std::vector<std::string>& unplaced);

// Lays out the catalogue's sector files. Lists the unplaced names once on stderr, prefixed by
// `command`. Throws CommandFailure (exit 1) when no sector has a place.
map::MapLayout LayOutWorld(
    const std::vector<headless_catalogue::CatalogueSession::SectorFile>& files,
    const std::string& command);

// Says that sector s of the layout cannot be read: a failure (exit 1) unless skip, else one line
// on stderr prefixed by `command`, its place left empty.
void ReportUnreadable(const map::MapLayout& layout, std::size_t s, const std::string& reason,
                      bool skip, const std::string& command);
