#pragma once
// The worlds of the game's world cache and the sector files of one world, read as the viewer's
// catalogue reads them: a world is a folder whose name ends in "quarlend" (any case), listed by
// the name before its last dot with every "quarlend" taken out; its sectors are the folders of
// <Name>quarlend\terrain with a '_' in their name, each holding heightmap_<sector>.zdt.

#include <filesystem>
#include <string>
#include <vector>

#include "world/sector_source.h"

namespace world {

// The names, in the order the viewer's combo box keeps them. A missing or unreadable folder has
// none.
std::vector<std::string> ListWorlds(const std::filesystem::path& worldCache);

// The name a world folder is listed by, or false when the folder is no world.
bool WorldNameOf(const std::string& folderName, std::string& name);

// The sector a folder of the terrain folder holds (its name before the last dot), or false
// when the folder holds none.
bool SectorNameOf(const std::string& folderName, std::string& name);

// Whether `fileName` is sector `sector`'s heightmap, in any case.
bool IsHeightmapOf(const std::string& fileName, const std::string& sector);

// The heightmap of sector `sector` in `sectorFolder`: the file whose name matches in any case,
// else the name as the catalogue spells it.
std::filesystem::path HeightmapIn(const std::filesystem::path& sectorFolder,
                                  const std::string& sector);

// The sectors of the terrain folder, ordered by name, each with its heightmap's stamp when that
// is a regular file (a missing or irregular one is listed without, for the first pass to report);
// where two folders hold one sector, the later folder in name order wins, as in the viewer's
// table.
std::vector<SectorSource> ListSectors(const std::filesystem::path& terrain);

}  // namespace world
