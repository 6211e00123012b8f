#pragma once
// The catalogue's sector files at their host paths, as the world model reads them.

#include <filesystem>
#include <string>
#include <vector>

#include "headless_catalogue/catalogue_session.h"
#include "world/sector_source.h"

namespace headless_catalogue {

// Each file's host path, with its stamp when the lookup looked at the file already; in the
// order given. Many files in the same folders cost one lookup of those folders.
std::vector<world::SectorSource> SectorSourcesOf(
    const std::vector<CatalogueSession::SectorFile>& files);

// Where a file the catalogue names by its Windows path lies on this machine.
std::filesystem::path HostPathOf(const std::string& windowsPath);

}  // namespace headless_catalogue
