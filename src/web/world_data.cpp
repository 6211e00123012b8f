#include "web/world_data.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <utility>

#include "web/data_file.h"
#include "web/site_layout.h"
#include "web/site_writer.h"
#include "web/tile_pyramid.h"
#include "web/world_picture.h"
#include "web/world_script.h"
#include "world/sector_place.h"
#include "world/summary_file.h"
#include "world/world_layout.h"
#include "world/world_model.h"

namespace web {

namespace {

namespace fs = std::filesystem;

// Only the level tree and the summaries are wanted of the model, not its streaming.
constexpr std::size_t ModelCacheBytes = std::size_t{16} << 20;

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

// Whether every sector is as the record has it, and no other came or went: the world's files
// stay as they are. A sector that could not be looked at then and cannot now is as it was.
bool AsRecorded(const std::vector<world::SectorSource>& sources, const RecordedWorld& recorded) {
    if (sources.size() != recorded.sectors.size()) {
        return false;
    }
    return std::all_of(sources.begin(), sources.end(), [&](const world::SectorSource& source) {
        const auto was = recorded.sectors.find(source.name);
        return was != recorded.sectors.end() && was->second.stamp == StampOf(source);
    });
}

// The files of the world's the site's record names, by key.
std::map<std::string, RecordedFile> FilesOf(const std::string& folder,
                                            const std::map<std::string, RecordedFile>& files) {
    const std::string prefix = folder + "/";
    std::map<std::string, RecordedFile> own;
    for (auto it = files.lower_bound(prefix); it != files.end() && it->first.starts_with(prefix);
         ++it) {
        own.insert(*it);
    }
    return own;
}

// The world's tiles the record names, by level.
std::vector<std::map<TileKey, std::uint64_t>> RecordedTiles(
    const std::string& folder, const std::map<std::string, RecordedFile>& own) {
    std::vector<std::map<TileKey, std::uint64_t>> levels;
    for (const auto& [key, file] : own) {
        const std::optional<TileKey> tile = ParseTileFileKey(key.substr(folder.size() + 1));
        if (!tile) {
            continue;
        }
        const auto level = static_cast<std::size_t>(tile->level);
        if (levels.size() <= level) {
            levels.resize(level + 1);
        }
        levels[level][*tile] = file.version;
    }
    return levels;
}

// Writes the payload under `key` unless the record has the same bytes there: the file it names.
RecordedFile WriteUnlessSame(SiteFiles& files, const std::string& key,
                             const std::vector<std::uint8_t>& payload, std::uint64_t version,
                             const std::map<std::string, RecordedFile>& own, std::size_t& written) {
    const std::uint64_t hash =
        HashOf({reinterpret_cast<const char*>(payload.data()), payload.size()});
    if (const auto was = own.find(key); was != own.end() && was->second.hash == hash) {
        return was->second;
    }
    files.Write(DataFilePath(key, version), DataFileText(key, payload));
    ++written;
    return {version, hash};
}

}  // namespace

WrittenWorld WriteWorldData(SiteFiles& files, SiteWorld world, const RecordedWorld* recorded,
                            const std::map<std::string, RecordedFile>& recordedFiles,
                            std::uint64_t version, const SiteOptions& options) {
    WrittenWorld written;
    written.folder = WorldFolderOf(world.name);
    const std::string& folder = written.folder;
    const std::string terrain = PathHash(TerrainOf(world.sources));
    const bool sameWorld = recorded != nullptr && recorded->terrain == terrain;
    std::map<std::string, RecordedFile> own = recorded != nullptr
                                                  ? FilesOf(folder, recordedFiles)
                                                  : std::map<std::string, RecordedFile>{};
    const std::string indexKey = WorldFileKey(folder, WorldIndexKey);

    // Nothing changed: nothing is read.
    // (A world with nothing to show has no files at all.)
    if (sameWorld && (own.contains(indexKey) || own.empty()) &&
        AsRecorded(world.sources, *recorded)) {
        written.record = *recorded;
        written.record.name = world.name;
        for (const auto& [key, file] : own) {
            written.tiles += ParseTileFileKey(key.substr(folder.size() + 1)) ? 1 : 0;
        }
        written.files = std::move(own);
        return written;
    }
    written.read = true;

    // A world with no sector to place (none yet, or none named as a place), which the model
    // refuses: listed, with nothing to show.
    if (world::LayOutWorld(world.sources).sectors.empty()) {
        written.record = {world.name, terrain, version, {}, EmptyWorldEntry(world.name, folder)};
        for (const world::SectorSource& source : world.sources) {
            written.record.sectors[source.name] = {StampOf(source), version};
            written.unplaced.push_back(source.name);
        }
        return written;
    }

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
    const world::WorldModel model(std::move(world.sources), modelOptions);
    const world::WorldLayout& layout = model.Layout();
    written.unplaced = layout.unplaced;
    written.record.name = world.name;
    written.record.terrain = terrain;
    written.record.version = version;

    // What changed since the site was written: sectors whose file is not as it was, and those
    // that went.
    std::vector<std::uint64_t> sectorVersions(layout.sectors.size(), version);
    std::vector<std::size_t> changed;
    for (std::size_t s = 0; s < layout.sectors.size(); ++s) {
        const world::SectorSource& source = layout.sectors[s].source;
        RecordedSector now{StampOf(source), version};
        if (sameWorld) {
            const auto was = recorded->sectors.find(source.name);
            if (was != recorded->sectors.end() && was->second.stamp == now.stamp) {
                now.version = was->second.version;
            }
        }
        if (now.version == version) {
            changed.push_back(s);
            written.changedSectors.push_back(source.name);
        }
        sectorVersions[s] = now.version;
        written.record.sectors[source.name] = now;
    }

    // The height tiles.
    TilePyramid pyramid(
        files, folder,
        sameWorld ? RecordedTiles(folder, own) : std::vector<std::map<TileKey, std::uint64_t>>{},
        version);
    if (sameWorld) {
        pyramid.Touch(model, changed);
        for (const auto& [name, sector] : recorded->sectors) {
            if (!written.record.sectors.contains(name)) {
                written.changedSectors.push_back(name);
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
    written.superseded = pyramid.Superseded();
    for (const auto& level : pyramid.Tiles()) {
        for (const auto& [key, tileVersion] : level) {
            written.files[WorldFileKey(folder, TileFileKey(key))] = {tileVersion, 0};
        }
        written.tiles += level.size();
    }
    written.filesWritten += pyramid.Written();
    if (!sameWorld) {
        own.clear();
    }

    // The level tree's chunks, where their bytes changed.
    WorldScriptInput input;
    input.world = world.name;
    input.folder = folder;
    input.version = version;
    input.tiles = pyramid.Tiles();
    input.levels = static_cast<int>(input.tiles.size());
    input.sectorVersions = std::move(sectorVersions);
    input.unreadable = std::move(unreadable);
    for (const auto& [key, payload] : LevelTreeChunks(model)) {
        const std::string fileKey = WorldFileKey(folder, key);
        const RecordedFile file =
            WriteUnlessSame(files, fileKey, payload, version, own, written.filesWritten);
        written.files[fileKey] = file;
        input.chunks[key] = file.version;
    }

    // The picture, and the index that names them all.
    std::optional<std::uint64_t> picture;
    if (const auto payload = WorldPicture(pyramid, layout)) {
        const std::string key = WorldFileKey(folder, PictureKey);
        const RecordedFile file =
            WriteUnlessSame(files, key, *payload, version, own, written.filesWritten);
        written.files[key] = file;
        picture = file.version;
    }
    const std::string index = WorldScript(model, input);
    files.Write(DataFilePath(indexKey, version), index);
    ++written.filesWritten;
    written.files[indexKey] = {version, HashOf(index)};
    written.record.entry = WorldEntry(model, input, picture);
    return written;
}

}  // namespace web
