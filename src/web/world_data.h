#pragma once
// One world's data in a site (docs/WEB.md), written or brought up to date: which of its sectors
// changed since the record (a world none of whose sectors changed is not read at all), its
// height tiles, the level tree's chunks, its picture and its index, all below its folder.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "web/site_files.h"
#include "web/site_record.h"
#include "world/sector_source.h"

namespace web {

struct SiteOptions;

struct SiteWorld {
    std::string name;
    std::vector<world::SectorSource> sources;
};

struct WrittenWorld {
    std::string folder;
    RecordedWorld record;
    // Its data files by key (its folder first), with their versions.
    std::map<std::string, RecordedFile> files;
    // Files of the world's no longer named, by path: removed once the site's index is new.
    std::vector<std::string> superseded;
    std::vector<std::string> changedSectors;  // changed, came or went
    std::vector<std::string> unplaced;
    std::size_t tiles = 0;
    std::size_t filesWritten = 0;
    bool read = false;  // its sectors were read: some changed
};

// Writes what changed of `world` at the site's `version`, `recorded` being what the site's
// record says of it (null: nothing). Throws SiteFileError when a file cannot be written.
WrittenWorld WriteWorldData(SiteFiles& files, SiteWorld world, const RecordedWorld* recorded,
                            const std::map<std::string, RecordedFile>& recordedFiles,
                            std::uint64_t version, const SiteOptions& options);

}  // namespace web
