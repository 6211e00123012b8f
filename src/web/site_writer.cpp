#include "web/site_writer.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
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

// The site's record, when the folder holds one that reads; `ours` also when it holds one of
// another format.
std::optional<SiteRecord> ReadRecord(const fs::path& folder, bool& ours) {
    std::error_code error;
    const fs::path path = folder / RecordFileName;
    ours = false;
    if (!fs::is_regular_file(path, error)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) {
        return std::nullopt;
    }
    std::optional<SiteRecord> record = ParseSiteRecord(text.str());
    ours = record.has_value() || IsSiteRecord(text.str());
    return record;
}

std::optional<SourceStamp> StampOf(const world::SectorSource& source) {
    if (source.listed) {
        return SourceStamp{source.hostPath, source.listed->size,
                           source.listed->modifiedNanoseconds};
    }
    if (const auto key = world::KeyOfFile(source.hostPath)) {
        return SourceStamp{key->path, key->size, key->modifiedNanoseconds};
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

// Whether the folder holds anything.
bool Holds(const fs::path& folder) {
    std::error_code error;
    return fs::directory_iterator(folder, error) != fs::directory_iterator();
}

// The files below data/ named as this program names its data files (KEY.vN.js) that `named`
// does not hold.
std::vector<std::string> UnnamedDataFiles(const fs::path& folder,
                                          const std::set<std::string>& named) {
    std::vector<std::string> unnamed;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder / "data", error), end; !error && it != end;
         it.increment(error)) {
        if (!it->is_regular_file(error)) {
            continue;
        }
        const std::string path = fs::relative(it->path(), folder, error).generic_string();
        const std::size_t dot = path.rfind(".v");
        const bool versioned =
            path.ends_with(".js") && dot != std::string::npos && dot + 2 < path.size() - 3 &&
            std::all_of(path.begin() + static_cast<std::ptrdiff_t>(dot) + 2, path.end() - 3,
                        [](char c) { return c >= '0' && c <= '9'; });
        if (versioned && !named.contains(path)) {
            unnamed.push_back(path);
        }
    }
    return unnamed;
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

SiteReport WriteSite(const std::string& worldName, std::vector<world::SectorSource> sources,
                     const fs::path& folder, const SiteOptions& options) {
    SiteReport report;
    std::error_code error;
    if (!fs::exists(folder, error)) {
        fs::create_directories(folder, error);
        if (error) {
            throw SiteFileError("cannot make the folder " + folder.string() + ": " +
                                error.message());
        }
    } else if (!fs::is_directory(folder, error)) {
        throw NotASite(folder.string() + " is not a folder");
    }
    bool ours = false;
    const std::optional<SiteRecord> record = ReadRecord(folder, ours);
    if (!ours && Holds(folder) && !options.force) {
        throw NotASite(folder.string() +
                       " holds files that are not a site of velmora's (--force writes into it, "
                       "removing none of them)");
    }
    report.created = !record;

    const std::string terrain = TerrainOf(sources);
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

    const std::uint64_t version = record ? record->version + 1 : 1;
    const bool sameWorld = record && record->world == worldName && record->terrain == terrain;
    SiteFiles files(folder);
    SiteRecord next;
    next.world = worldName;
    next.terrain = terrain;
    next.version = version;

    // What changed since the site was written: sectors whose file is not as it was, and those
    // that went.
    std::vector<std::uint64_t> sectorVersions(layout.sectors.size(), version);
    std::vector<std::size_t> changed;
    for (std::size_t s = 0; s < layout.sectors.size(); ++s) {
        const world::SectorSource& source = layout.sectors[s].source;
        RecordedSector now{StampOf(source), version};
        if (sameWorld) {
            const auto was = record->sectors.find(source.name);
            if (was != record->sectors.end() && was->second.stamp == now.stamp && now.stamp) {
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
        files, record ? RecordedTiles(*record) : std::vector<std::map<TileKey, std::uint64_t>>{},
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
    std::vector<std::string> superseded = pyramid.Superseded();
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
        const RecordedFile* was = Recorded(record, key);
        if (sameWorld && was != nullptr && was->hash == hash) {
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
            key ? std::optional<SourceStamp>({key->path, key->size, key->modifiedNanoseconds})
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

    // Every file of the record that the new one does not take over at its version goes.
    if (record) {
        for (const auto& [key, file] : record->files) {
            const auto kept = next.files.find(key);
            if (kept == next.files.end() || kept->second.version != file.version) {
                superseded.push_back(DataFilePath(key, file.version));
            }
        }
    }

    // The page and Leaflet, where their bytes changed.
    for (const auto& [path, source] : PageFiles(options)) {
        const std::string bytes = ReadWhole(source);
        const std::uint64_t hash = HashOf(bytes);
        const bool same =
            record && record->pageFiles.contains(path) && record->pageFiles.at(path) == hash;
        if (!same || !fs::is_regular_file(folder / path, error)) {
            files.Write(path, bytes);
            ++report.filesWritten;
        }
        next.pageFiles[path] = hash;
    }

    // The world's index last: from here on the site is the new one.
    files.Write("data/world.js", WorldScript(model, input));
    ++report.filesWritten;
    files.Keep();
    files.Write(std::string(RecordFileName), SerialiseSiteRecord(next));
    files.Keep();

    std::set<std::string> gone(superseded.begin(), superseded.end());
    if (record) {
        for (const auto& [path, hash] : record->pageFiles) {
            if (!next.pageFiles.contains(path)) {
                gone.insert(path);
            }
        }
    }
    if (options.live) {
        report.superseded.assign(gone.begin(), gone.end());
    } else {
        for (const std::string& path : gone) {
            report.filesRemoved += files.Remove(path) ? 1 : 0;
        }
    }
    // Data files of ours that no record names (left by a run that was stopped before it removed
    // them) go too: only files named as this program names them, below data/.
    std::set<std::string> named(gone.begin(), gone.end());
    for (const auto& [key, file] : next.files) {
        named.insert(DataFilePath(key, file.version));
    }
    for (const std::string& orphan :
         options.sweepOrphans ? UnnamedDataFiles(folder, named) : std::vector<std::string>{}) {
        report.filesRemoved += files.Remove(orphan) ? 1 : 0;
    }
    report.version = version;
    return report;
}

void RemoveSuperseded(const fs::path& folder, const std::vector<std::string>& files) {
    SiteFiles site(folder);
    for (const std::string& path : files) {
        site.Remove(path);
    }
}

}  // namespace web
