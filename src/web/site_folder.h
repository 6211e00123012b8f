#pragma once
// What a folder holds, as far as a run's right to write a site into it goes: a record of ours
// (of any format), or nothing but files a run of ours writes, by name; the page's files a site
// holds; and the data files' names, with the versions they are written at.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "web/site_files.h"
#include "web/site_record.h"

namespace web {

struct SiteOptions;

// The page's own files and Leaflet's, by their path in the site. Throws SiteFileError when the
// page's are missing.
std::map<std::string, std::filesystem::path> PageFiles(const SiteOptions& options);

// The index a site of one world had before worlds had folders: ours to remove.
inline constexpr std::string_view SingleWorldIndexPath = "data/world.js";

struct DataPath {
    std::string key;
    std::uint64_t version = 0;
};

// "data/KEY.vN.js" with any KEY: the version a file of that name would take; with `ours`, only
// a KEY this program gives a data file (in either layout).
std::optional<DataPath> ParseDataPath(std::string_view path, bool ours);

// Whether a run of this program writes files at `path`: the page's, the indexes, the record,
// the lock, data files, and the temporary files beside any of them.
bool IsGeneratorPath(const std::string& path,
                     const std::map<std::string, std::filesystem::path>& pages);

struct FolderState {
    std::optional<std::string> recordText;
    std::int64_t format = 0;  // of the record, 0: none of ours
    std::optional<SiteRecord> record;
    // A record of ours, of any format, or nothing but files a run of ours writes (a first run
    // stopped before its record, a site whose record is lost).
    bool ours = false;
};

// `parse`: the record read too, not only its format. Throws NotASite for a site of a newer
// program's.
FolderState InspectFolder(const SiteFiles& files,
                          const std::map<std::string, std::filesystem::path>& pages,
                          bool parse = true);

std::string NotOursMessage(const std::filesystem::path& folder);

// The highest version a data file below data/ is named with, whatever its key.
std::uint64_t HighestDataVersion(const SiteFiles& files);

}  // namespace web
