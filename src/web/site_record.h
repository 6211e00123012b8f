#pragma once
// What a site's generator wrote, kept in the site as .velmora-site (never read by the page): the
// world it shows, each sector's file as it was read (so that an update reads again only what
// changed), and every file of the site's with the version it was written at. It tells a site of
// ours from any other folder, and which files are ours to replace or remove.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace web {

inline constexpr std::string_view RecordFileName = ".velmora-site";

struct SourceStamp {
    std::string path;
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

struct SiteRecord {
    std::string world;
    std::string terrain;
    std::uint64_t version = 0;
    std::map<std::string, RecordedSector> sectors;   // by name
    std::map<std::string, RecordedFile> files;       // data files by key
    std::optional<SourceStamp> ground;               // the ground texture's source
    std::map<std::string, std::uint64_t> pageFiles;  // the page's own files by path, their hash
};

std::string SerialiseSiteRecord(const SiteRecord& record);
// nullopt for anything that is not a whole record of this format.
std::optional<SiteRecord> ParseSiteRecord(std::string_view text);
// Whether the text is a record of this program's, of any format: the folder is a site of ours,
// though one that must be written anew.
bool IsSiteRecord(std::string_view text);

// FNV-1a, for telling whether a file's bytes changed.
std::uint64_t HashOf(std::string_view bytes);

}  // namespace web
