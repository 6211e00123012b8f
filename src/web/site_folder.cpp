#include "web/site_folder.h"

#include <algorithm>
#include <limits>
#include <system_error>

#include "web/site_layout.h"
#include "web/site_lock.h"
#include "web/site_writer.h"

namespace web {

namespace fs = std::filesystem;

namespace {

// The digits of a version as DataFilePath spells it; nullopt for anything else or beyond 64
// bits.
std::optional<std::uint64_t> VersionOf(std::string_view digits) {
    if (digits.empty() || digits.size() > 20 || (digits.size() > 1 && digits.front() == '0') ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    std::uint64_t version = 0;
    for (const char c : digits) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (version > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) {
            return std::nullopt;
        }
        version = version * 10 + digit;
    }
    return version;
}

// A key of a world's own data below its folder: a tile, a chunk of the level tree.
bool IsWorldDataKey(std::string_view key) {
    if (key == "lod/top") {
        return true;
    }
    if (key.starts_with("lod/")) {
        const std::string_view rest = key.substr(4);
        return !rest.empty() && std::all_of(rest.begin(), rest.end(), [](char c) {
            return (c >= '0' && c <= '9') || c == '_' || c == '-';
        });
    }
    return ParseTileFileKey(std::string(key)).has_value();
}

// Whether `key` is one this program gives a data file: the ground; a world's index, picture,
// tiles and chunks below its folder; or, in the layout of one world, its tiles and chunks.
bool IsDataKey(std::string_view key) {
    if (key == GroundKey || IsWorldDataKey(key)) {
        return true;
    }
    const std::size_t slash = key.find('/');
    if (slash == std::string_view::npos || !IsWorldFolder(key.substr(0, slash))) {
        return false;
    }
    const std::string_view rest = key.substr(slash + 1);
    return rest == WorldIndexKey || rest == PictureKey || IsWorldDataKey(rest);
}

}  // namespace

std::map<std::string, fs::path> PageFiles(const SiteOptions& options) {
    std::map<std::string, fs::path> files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(options.pageFiles, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_regular_file()) {
            files[fs::relative(it->path(), options.pageFiles).generic_string()] = it->path();
        }
    }
    if (error || files.empty()) {
        throw SiteFileError("the page's files are missing: " + options.pageFiles.string());
    }
    const fs::path leaflet = options.leaflet;
    for (const char* name : {"leaflet.js", "leaflet.css"}) {
        files[std::string("lib/leaflet/") + name] = leaflet / name;
    }
    for (fs::directory_iterator it(leaflet / "images", error), end; !error && it != end;
         it.increment(error)) {
        if (it->path().extension() == ".png") {
            files["lib/leaflet/images/" + it->path().filename().string()] = it->path();
        }
    }
    files["lib/leaflet/LICENSE"] = options.leafletLicence;
    return files;
}

std::optional<DataPath> ParseDataPath(std::string_view path, bool ours) {
    if (!path.starts_with("data/") || !path.ends_with(".js")) {
        return std::nullopt;
    }
    const std::string_view stem = path.substr(5, path.size() - 8);
    const std::size_t mark = stem.rfind(".v");
    if (mark == std::string_view::npos || mark == 0) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> version = VersionOf(stem.substr(mark + 2));
    const std::string_view key = stem.substr(0, mark);
    if (!version || (ours && !IsDataKey(key))) {
        return std::nullopt;
    }
    return DataPath{std::string(key), *version};
}

bool IsGeneratorPath(const std::string& path, const std::map<std::string, fs::path>& pages) {
    if (pages.contains(path) || path == SiteIndexPath || path == SingleWorldIndexPath ||
        path == RecordFileName || path == LockFileName || ParseDataPath(path, true)) {
        return true;
    }
    const std::size_t slash = path.rfind('/');
    const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string base;
    return IsTemporaryName(leaf, &base) &&
           IsGeneratorPath(path.substr(0, path.size() - leaf.size()) + base, pages);
}

FolderState InspectFolder(const SiteFiles& files, const std::map<std::string, fs::path>& pages,
                          bool parse) {
    FolderState state;
    state.recordText = files.Read(std::string(RecordFileName));
    state.format = state.recordText ? SiteRecordFormatOf(*state.recordText) : 0;
    if (state.format > SiteRecordFormat) {
        throw NotASite(files.Root().string() +
                       " is a site of a newer velmora (its record is of "
                       "format " +
                       std::to_string(state.format) + "); it is left as it is");
    }
    if (state.format > 0) {
        if (parse) {
            state.record = ParseSiteRecord(*state.recordText);
        }
        state.ours = true;
        return state;
    }
    // Stops at the first file of another's: a folder of any size is refused at once.
    state.ours = files.EachEntry("", [&](const SiteEntry& entry) {
        return entry.regular && entry.path != RecordFileName && IsGeneratorPath(entry.path, pages);
    });
    return state;
}

std::string NotOursMessage(const fs::path& folder) {
    return folder.string() +
           " holds files that are not a site of velmora's (--force writes the site beside them, "
           "replacing or removing none of them)";
}

std::uint64_t HighestDataVersion(const SiteFiles& files) {
    std::uint64_t highest = 0;
    for (const SiteEntry& entry : files.Entries("data")) {
        if (const auto data = ParseDataPath(entry.path, false)) {
            highest = std::max(highest, data->version);
        }
    }
    return highest;
}

}  // namespace web
