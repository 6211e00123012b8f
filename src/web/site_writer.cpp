#include "web/site_writer.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <string_view>
#include <system_error>

#include "web/data_file.h"
#include "web/site_files.h"
#include "web/site_record.h"
#include "web/tile_pyramid.h"
#include "web/world_script.h"
#include "world/render/ground_image.h"
#include "world/sector_place.h"
#include "world/summary_file.h"

namespace web {

namespace {

namespace fs = std::filesystem;

// Only the level tree and the summaries are wanted of the model, not its streaming.
constexpr std::size_t ModelCacheBytes = std::size_t{16} << 20;

std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) {
        throw SiteFileError("cannot read " + path.string());
    }
    return text.str();
}

std::optional<SourceStamp> StampOf(const world::SectorSource& source) {
    if (source.listed) {
        return SourceStamp{HashOf(source.hostPath), source.listed->size,
                           source.listed->modifiedNanoseconds};
    }
    if (const auto key = world::KeyOfFile(source.hostPath)) {
        return SourceStamp{HashOf(key->path), key->size, key->modifiedNanoseconds};
    }
    return std::nullopt;
}

std::string TerrainOf(const std::vector<world::SectorSource>& sources) {
    if (sources.empty()) {
        return {};
    }
    const auto first = std::min_element(
        sources.begin(), sources.end(),
        [](const auto& left, const auto& right) { return left.hostPath < right.hostPath; });
    return fs::path(first->hostPath).parent_path().parent_path().string();
}

// The tiles a record names, by level.
std::vector<std::map<TileKey, std::uint64_t>> RecordedTiles(const SiteRecord& record) {
    std::vector<std::map<TileKey, std::uint64_t>> levels;
    for (const auto& [key, file] : record.files) {
        const std::optional<TileKey> tile = ParseTileFileKey(key);
        if (!tile) {
            continue;
        }
        const int level = tile->level;
        const long long x = tile->x;
        const long long y = tile->y;
        if (levels.size() <= static_cast<std::size_t>(level)) {
            levels.resize(static_cast<std::size_t>(level) + 1);
        }
        levels[static_cast<std::size_t>(level)][{level, x, y}] = file.version;
    }
    return levels;
}

// The page's own files and Leaflet's, by their path in the site.
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

constexpr std::string_view WorldScriptPath = "data/world.js";

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

// Whether `key` is one this program gives a data file: a tile, a chunk of the level tree, the
// ground.
bool IsDataKey(std::string_view key) {
    if (key == "ground" || key == "lod/top") {
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

struct DataPath {
    std::string key;
    std::uint64_t version = 0;
};

// "data/KEY.vN.js" with any KEY: the version a file of that name would take; `ours` when KEY is
// one of this program's.
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

// Whether a run of this program writes files at `path`: the page's, the index, the record,
// the lock, data files, and the temporary files beside any of them.
bool IsGeneratorPath(const std::string& path, const std::map<std::string, fs::path>& pages) {
    if (pages.contains(path) || path == WorldScriptPath || path == RecordFileName ||
        path == LockFileName || ParseDataPath(path, true)) {
        return true;
    }
    const std::size_t slash = path.rfind('/');
    const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string base;
    return IsTemporaryName(leaf, &base) &&
           IsGeneratorPath(path.substr(0, path.size() - leaf.size()) + base, pages);
}

// What a folder holds, as far as a run's right to write into it goes.
struct FolderState {
    std::optional<std::string> recordText;
    std::int64_t format = 0;  // of the record, 0: none of ours
    std::optional<SiteRecord> record;
    // A record of ours, of any format, or nothing but files a run of ours writes (a first run
    // stopped before its record, a site whose record is lost).
    bool ours = false;
};

// `parse`: the record read too, not only its format.
FolderState Inspect(const SiteFiles& files, const std::map<std::string, fs::path>& pages,
                    bool parse = true) {
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

// The highest version a data file below data/ is named with, whatever its key.
std::uint64_t HighestDataVersion(const SiteFiles& files) {
    std::uint64_t highest = 0;
    for (const SiteEntry& entry : files.Entries("data")) {
        if (const auto data = ParseDataPath(entry.path, false)) {
            highest = std::max(highest, data->version);
        }
    }
    return highest;
}

const RecordedFile* Recorded(const std::optional<SiteRecord>& record, const std::string& key) {
    if (!record) {
        return nullptr;
    }
    const auto found = record->files.find(key);
    return found == record->files.end() ? nullptr : &found->second;
}

std::vector<std::uint8_t> GroundPayload(const world::render::GroundImage& image) {
    Payload payload;
    payload.U32(image.width);
    payload.U32(image.height);
    payload.Bytes(image.rgba);
    return std::move(payload.bytes);
}

}  // namespace

void CheckSiteFolder(const fs::path& folder, const SiteOptions& options) {
    if (folder.empty()) {
        throw NotASite("no folder given");
    }
    std::error_code error;
    const fs::file_status link = fs::symlink_status(folder, error);
    if (link.type() == fs::file_type::not_found) {
        fs::create_directories(folder, error);
        if (error) {
            throw NotASite("cannot make the folder " + folder.string() + ": " +
                           (error == std::errc::not_a_directory || error == std::errc::file_exists
                                ? std::string("a part of its path is a file or a link to nothing")
                                : error.message()));
        }
    } else if (link.type() == fs::file_type::symlink && !fs::exists(folder, error)) {
        throw NotASite(folder.string() + " is a symbolic link to nothing");
    } else if (!fs::is_directory(folder, error)) {
        throw NotASite(folder.string() + " is not a folder");
    }
    const SiteFiles files(folder);
    if (!Inspect(files, PageFiles(options), false).ours && !options.force) {
        throw NotASite(NotOursMessage(folder));
    }
}

SiteReport WriteSite(const std::string& worldName, std::vector<world::SectorSource> sources,
                     const fs::path& folder, const SiteOptions& options, const SiteLock& held) {
    if (!held.Holds(folder)) {
        throw std::logic_error("a site is written under its own lock: " + folder.string());
    }
    SiteReport report;
    SiteFiles files(folder);
    const std::map<std::string, fs::path> pages = PageFiles(options);
    const FolderState state = Inspect(files, pages);
    if (!state.ours && !options.force) {
        throw NotASite(NotOursMessage(folder));
    }
    const std::optional<SiteRecord>& record = state.record;

    // The files already there that are ours to replace: those the record names, or, without a
    // record that reads, every one of ours found in a folder that holds nothing else.
    std::set<std::string> mine;
    if (record) {
        for (const auto& [path, hash] : record->pageFiles) {
            mine.insert(path);
        }
        mine.insert(record->pendingFiles.begin(), record->pendingFiles.end());
    } else if (state.ours) {
        for (const auto& [path, source] : pages) {
            mine.insert(path);
        }
    }
    if (state.ours) {
        mine.insert(std::string(WorldScriptPath));
    }
    if (state.format > 0) {
        mine.insert(std::string(RecordFileName));
    }
    // Nothing of another's is written over: refused, naming it, before anything is written.
    std::vector<std::string> taken;
    std::vector<std::string> paths = {std::string(RecordFileName), std::string(WorldScriptPath)};
    for (const auto& [path, source] : pages) {
        paths.push_back(path);
    }
    for (const std::string& path : paths) {
        const SiteEntryKind kind = files.Kind(path);
        if (kind != SiteEntryKind::Missing &&
            !(kind == SiteEntryKind::File && mine.contains(path))) {
            taken.push_back(path);
        }
    }
    if (!taken.empty()) {
        throw NotASite((folder / taken.front()).string() + " is not velmora's" +
                       (taken.size() > 1 ? " (nor " + std::to_string(taken.size() - 1) +
                                               " more of the site's paths)"
                                         : std::string()) +
                       "; the site would replace it: nothing is written");
    }
    for (const std::string& path : mine) {
        files.MayReplace(path);
    }
    files.MayReplace(std::string(RecordFileName));
    report.created = !record || record->version == 0;

    // A version no data file in the folder has, whatever happened to the record: its names are
    // new, so a browser never takes another's bytes from its cache for one of them.
    std::uint64_t highest = record ? record->version : 0;
    if (record && !record->pendingVersions.empty()) {
        highest = std::max(highest, *record->pendingVersions.rbegin());
    }
    if (!record || options.sweepOrphans) {
        highest = std::max(highest, HighestDataVersion(files));
    }
    if (highest == std::numeric_limits<std::uint64_t>::max()) {
        throw NotASite(folder.string() + " has used every version a site can have");
    }
    const std::uint64_t version = highest + 1;
    const std::string terrain = PathHash(TerrainOf(sources));
    const bool sameWorld = record && record->world == worldName && record->terrain == terrain;

    // What this run is about to write, recorded first: if it stops anywhere, the next run knows
    // the files as ours, finishes the site and removes what it no longer names.
    SiteRecord marking;
    if (record) {
        marking = *record;
    } else {
        marking.world = worldName;
        marking.terrain = terrain;
    }
    marking.pendingVersions.insert(version);
    // Every file the record does not name yet, whether or not it was taken as ours without one.
    for (const std::string& path : paths) {
        if (path != RecordFileName && !(record && record->pageFiles.contains(path))) {
            marking.pendingFiles.insert(path);
        }
    }
    try {
        files.Write(std::string(RecordFileName), SerialiseSiteRecord(marking));
    } catch (const SiteFileError& failure) {
        throw SiteWriteError(failure.what(),
                             report.created && !record ? LeftSite::Unfinished : LeftSite::AsItWas);
    }
    files.Keep();

    // Whether a file of the site as it was has been replaced: the site is then no longer as it
    // was, should the run fail.
    bool replaced = false;
    SiteRecord next;
    std::vector<std::string> superseded;
    try {
        std::vector<UnreadableSector> unreadable;
        world::ModelOptions modelOptions;
        modelOptions.cacheBytes = ModelCacheBytes;
        modelOptions.summaryFolder = options.summaryFolder;
        modelOptions.unreadable = [&](const std::string& name, const std::string& path,
                                      const std::string& reason) {
            unreadable.push_back({name, reason});
            if (options.unreadable) {
                options.unreadable(name, path, reason);
            }
        };
        const world::WorldModel model(std::move(sources), modelOptions);
        const world::WorldLayout& layout = model.Layout();
        report.unplaced = layout.unplaced;

        next.world = worldName;
        next.terrain = terrain;
        next.version = version;

        // What changed since the site was written: sectors whose file is not as it was (a
        // sector that could not be looked at then and cannot now is as it was), and those that
        // went.
        std::vector<std::uint64_t> sectorVersions(layout.sectors.size(), version);
        std::vector<std::size_t> changed;
        for (std::size_t s = 0; s < layout.sectors.size(); ++s) {
            const world::SectorSource& source = layout.sectors[s].source;
            RecordedSector now{StampOf(source), version};
            if (sameWorld) {
                const auto was = record->sectors.find(source.name);
                if (was != record->sectors.end() && was->second.stamp == now.stamp) {
                    now.version = was->second.version;
                }
            }
            if (now.version == version) {
                changed.push_back(s);
                report.changedSectors.push_back(source.name);
            }
            sectorVersions[s] = now.version;
            next.sectors[source.name] = now;
        }
        TilePyramid pyramid(
            files,
            record ? RecordedTiles(*record) : std::vector<std::map<TileKey, std::uint64_t>>{},
            version);
        if (sameWorld) {
            pyramid.Touch(model, changed);
            for (const auto& [name, sector] : record->sectors) {
                if (!next.sectors.contains(name)) {
                    report.changedSectors.push_back(name);
                    if (const auto place = world::ParseSectorPlace(name)) {
                        pyramid.TouchPlace(place->a, place->b);
                    }
                }
            }
        } else {
            pyramid.TouchAll(model);
        }

        std::size_t done = 0;
        const std::size_t estimate = std::max<std::size_t>(1, changed.size() / 12 + 2);
        pyramid.Build(model, [&](std::size_t tiles) {
            done += tiles;
            if (options.progress) {
                options.progress(std::min(done, estimate), estimate);
            }
        });
        superseded = pyramid.Superseded();
        for (const auto& level : pyramid.Tiles()) {
            for (const auto& [key, tileVersion] : level) {
                next.files[TileFileKey(key)] = {tileVersion, 0};
            }
            report.tiles += level.size();
        }
        report.filesWritten += pyramid.Written();

        // The level tree's chunks: written again where their bytes changed.
        WorldScriptInput input;
        input.world = worldName;
        input.version = version;
        input.tiles = pyramid.Tiles();
        input.levels = static_cast<int>(input.tiles.size());
        input.sectorVersions = sectorVersions;
        input.unreadable = unreadable;
        input.live = options.live;
        for (const auto& [key, payload] : LevelTreeChunks(model)) {
            const std::uint64_t hash =
                HashOf({reinterpret_cast<const char*>(payload.data()), payload.size()});
            RecordedFile file{version, hash};
            const RecordedFile* was = sameWorld ? Recorded(record, key) : nullptr;
            if (was != nullptr && was->hash == hash) {
                file = *was;
            } else {
                files.Write(DataFilePath(key, version), DataFileText(key, payload));
                ++report.filesWritten;
            }
            next.files[key] = file;
            input.chunks[key] = file.version;
        }

        // The ground texture, when there is one that reads.
        if (!options.groundTexture.empty()) {
            const auto key = world::KeyOfFile(options.groundTexture.string());
            const std::optional<SourceStamp> stamp =
                key ? std::optional<SourceStamp>(
                          {HashOf(key->path), key->size, key->modifiedNanoseconds})
                    : std::nullopt;
            const RecordedFile* was = Recorded(record, "ground");
            if (stamp && was != nullptr && record->ground == stamp) {
                next.files["ground"] = *was;
                next.ground = stamp;
            } else {
                try {
                    const std::vector<std::uint8_t> payload =
                        GroundPayload(world::render::ReadGroundImage(options.groundTexture));
                    files.Write(DataFilePath("ground", version), DataFileText("ground", payload));
                    next.files["ground"] = {version, 0};
                    next.ground = stamp;
                    ++report.filesWritten;
                } catch (const SiteFileError&) {
                    throw;
                } catch (const std::runtime_error& problem) {
                    // Grey ground, as the viewer without its texture.
                    if (options.groundProblem) {
                        options.groundProblem(problem.what());
                    }
                }
            }
            if (const auto ground = next.files.find("ground"); ground != next.files.end()) {
                input.ground = ground->second.version;
            }
        }

        // The page and Leaflet, where their bytes changed.
        for (const auto& [path, source] : pages) {
            const std::string bytes = ReadWhole(source);
            const std::uint64_t hash = HashOf(bytes);
            const bool same =
                record && record->pageFiles.contains(path) && record->pageFiles.at(path) == hash;
            const SiteEntryKind there = files.Kind(path);
            if (!same || there != SiteEntryKind::File) {
                replaced = replaced || there == SiteEntryKind::File;
                files.Write(path, bytes);
                ++report.filesWritten;
            }
            next.pageFiles[path] = hash;
        }

        // Every file of the record that the new one does not take over at its version goes,
        // once the new index is in place; so does what a record retired before, still there.
        if (record) {
            for (const auto& [key, file] : record->files) {
                const auto kept = next.files.find(key);
                if (kept == next.files.end() || kept->second.version != file.version) {
                    superseded.push_back(DataFilePath(key, file.version));
                }
            }
            for (const auto& [path, hash] : record->pageFiles) {
                if (!next.pageFiles.contains(path)) {
                    superseded.push_back(path);
                }
            }
        }
        next.retired.insert(superseded.begin(), superseded.end());
        if (record) {
            for (const std::string& path : record->retired) {
                if (files.Kind(path) == SiteEntryKind::File) {
                    next.retired.insert(path);
                }
            }
        }
        for (const auto& [key, file] : next.files) {
            next.retired.erase(DataFilePath(key, file.version));
        }
        for (const auto& [path, hash] : next.pageFiles) {
            next.retired.erase(path);
        }

        // The world's index last: from here on the site is the new one.
        replaced = true;
        files.Write(std::string(WorldScriptPath), WorldScript(model, input));
        ++report.filesWritten;
        files.Keep();
        files.Write(std::string(RecordFileName), SerialiseSiteRecord(next));
        files.Keep();
    } catch (const SiteFileError& failure) {
        const bool cleared = files.Discard();
        if (report.created) {
            throw SiteWriteError(failure.what(), LeftSite::Unfinished);
        }
        if (replaced || !cleared) {
            throw SiteWriteError(failure.what(), LeftSite::PartlyNew);
        }
        // The record as it was, as well; were it not, the marking says no more than it did.
        try {
            files.Write(std::string(RecordFileName), *state.recordText);
        } catch (const SiteFileError&) {
        }
        throw SiteWriteError(failure.what(), LeftSite::AsItWas);
    }

    std::set<std::string> named = {std::string(WorldScriptPath)};
    for (const auto& [key, file] : next.files) {
        named.insert(DataFilePath(key, file.version));
    }
    for (const auto& [path, hash] : next.pageFiles) {
        named.insert(path);
    }
    const std::set<std::string> thisRun(superseded.begin(), superseded.end());
    if (options.live) {
        // Left for the server, which removes them once open pages had time to move on.
        report.superseded.assign(thisRun.begin(), thisRun.end());
    }
    for (const std::string& path : next.retired) {
        const bool remove = !options.live || (options.sweepOrphans && !thisRun.contains(path));
        if (remove && files.Kind(path) == SiteEntryKind::File) {
            report.filesRemoved += files.Remove(path) ? 1 : 0;
        }
    }
    // What runs stopped part way left: their data files and page files no record names, and
    // temporary files beside any file of ours.
    if (record && (!record->pendingVersions.empty() || !record->pendingFiles.empty())) {
        for (const SiteEntry& entry : files.Entries("data")) {
            const auto data = ParseDataPath(entry.path, true);
            if (entry.regular && data && record->pendingVersions.contains(data->version) &&
                !named.contains(entry.path)) {
                report.filesRemoved += files.Remove(entry.path) ? 1 : 0;
            }
        }
        for (const std::string& path : record->pendingFiles) {
            if (!named.contains(path) && path != RecordFileName &&
                files.Kind(path) == SiteEntryKind::File) {
                report.filesRemoved += files.Remove(path) ? 1 : 0;
            }
        }
    }
    if (options.sweepOrphans || (record && !record->pendingVersions.empty())) {
        for (const SiteEntry& entry : files.Entries()) {
            const std::size_t slash = entry.path.rfind('/');
            const std::string leaf =
                slash == std::string::npos ? entry.path : entry.path.substr(slash + 1);
            std::string base;
            if (entry.regular && IsTemporaryName(leaf, &base) &&
                IsGeneratorPath(entry.path.substr(0, entry.path.size() - leaf.size()) + base,
                                pages)) {
                report.filesRemoved += files.Remove(entry.path) ? 1 : 0;
            }
        }
    }
    report.version = version;
    return report;
}

void RemoveSuperseded(const fs::path& folder, const std::vector<std::string>& files) {
    try {
        SiteFiles site(folder);
        for (const std::string& path : files) {
            site.Remove(path);
        }
    } catch (const SiteFileError&) {
        // The folder is gone: so are its files.
    }
}

}  // namespace web
