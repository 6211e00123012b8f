#pragma once
// What a site's generator wrote, kept in the site as .velmora-site (never read by the page nor
// served): the worlds it shows, each sector's file as it was read (so that an update reads again
// only what changed), every file of the site's with the version it was written at, what a run
// was about to write (so that a run stopped part way is finished by the next) and the files
// left for a server to remove. It tells a site of ours from any other folder, and which files
// are ours to replace or remove. It holds no path of the machine's: a site is published as it
// is, and where a file lay is kept as a hash of its path.

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace web {

inline constexpr std::string_view RecordFileName = ".velmora-site";
// The format this program writes; it reads this one and the one before.
inline constexpr int SiteRecordFormat = 4;

struct SourceStamp {
    std::uint64_t where = 0;  // HashOf the file's path
    std::uint64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;

    bool operator==(const SourceStamp&) const = default;
};

struct RecordedSector {
    std::optional<SourceStamp> stamp;  // none: could not be looked at
    std::uint64_t version = 0;         // the site's version when it last changed
};

struct RecordedFile {
    std::uint64_t version = 0;  // the file lies at data/KEY.vVERSION.js
    std::uint64_t hash = 0;     // of its payload
};

struct RecordedWorld {
    std::string name;
    std::string terrain;                            // HashOf the terrain folder's path, in hex
    std::uint64_t version = 0;                      // the site's version when it last changed
    std::map<std::string, RecordedSector> sectors;  // by name
    // Its entry in the site's index (JSON), kept for the runs that find it as it was.
    std::string entry;
};

struct SiteRecord {
    std::uint64_t version = 0;                       // 0: a site whose first run has not finished
    std::map<std::string, RecordedWorld> worlds;     // by folder
    std::map<std::string, RecordedFile> files;       // data files by key
    std::optional<SourceStamp> ground;               // the ground texture's source
    std::map<std::string, std::uint64_t> pageFiles;  // the page's own files by path, their hash
    // What runs that did not finish were writing: their versions' data files and these page
    // files, ours to remove when no later record names them.
    std::set<std::uint64_t> pendingVersions;
    std::set<std::string> pendingFiles;
    // Files no longer named, left for a server's open pages; ours to remove.
    std::set<std::string> retired;
    // Read from a record of the layout before folders a world (format 3 and older): one world,
    // its index at data/world.js and its files' keys without a folder. Its worlds are not kept:
    // the next run writes them anew and removes its files.
    bool singleWorldLayout = false;
};

std::string SerialiseSiteRecord(const SiteRecord& record);
// nullopt for anything that is not a whole record of this format or the one before.
std::optional<SiteRecord> ParseSiteRecord(std::string_view text);
// The format of a record of this program's, of any format (a folder holding one is a site of
// ours, though perhaps of an older or newer program); 0 for any other text.
std::int64_t SiteRecordFormatOf(std::string_view text);

// FNV-1a, for telling whether a file's bytes changed.
std::uint64_t HashOf(std::string_view bytes);
// The hash of a path of the machine's, as the record keeps it.
std::string PathHash(std::string_view path);

}  // namespace web
