#pragma once
// The height tiles of a site written or brought up to date level by level: the tiles that
// changed sectors touch are computed again (level 0 from the sectors' samples, each level above
// from the four below it) and written with the ring of their neighbours; every other tile stays
// as its file has it. Tiles are kept
// in memory up to a budget and read back from their files beyond it, so a world of any size
// takes bounded memory.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "terrain/heightmap_samples.h"
#include "web/height_tile.h"
#include "web/site_files.h"
#include "world/world_model.h"

namespace web {

class TilePyramid {
public:
    // The tiles of the world in `folder` below data/, by level, with their versions as the site
    // has them; `version` is this run's.
    TilePyramid(SiteFiles& files, std::string folder,
                std::vector<std::map<TileKey, std::uint64_t>> existing, std::uint64_t version);

    // Level 0's tiles where these sectors' samples lie (their samples changed, they came or
    // went): computed again. With `all`, every tile of every readable sector.
    void Touch(const world::WorldModel& model, const std::vector<std::size_t>& sectors);
    void TouchPlace(int a, int b);
    void TouchAll(const world::WorldModel& model);

    // Computes and writes what was touched, up to the level that holds the world in one tile.
    // `progress` is told of tiles done. Throws SiteFileError.
    void Build(const world::WorldModel& model, const std::function<void(std::size_t)>& progress);

    // The tiles of the site now, by level, and the files of tiles no longer there or written
    // again (to be removed once the world's index no longer names them).
    const std::vector<std::map<TileKey, std::uint64_t>>& Tiles() const { return tiles_; }
    const std::vector<std::string>& Superseded() const { return superseded_; }
    std::size_t Written() const { return written_; }
    // A tile's pixels as the pyramid has them now (null: no tile there), after Build.
    std::shared_ptr<const TileCore> CoreOf(const TileKey& key) { return Core(key); }

private:
    struct Cached {
        std::shared_ptr<const TileCore> core;
        bool inFile = false;  // can be read back from its file when dropped
    };

    // The key of a tile's data file.
    std::string FileKey(const TileKey& key) const;
    std::shared_ptr<const TileCore> Core(const TileKey& key);
    void Keep(const TileKey& key, std::shared_ptr<const TileCore> core, bool inFile);
    bool ReadGrid(const TileKey& key, std::uint64_t version, TileGridData& grid) const;
    // The grid a tile's file held before this run (null: none, or it does not read), read once.
    std::shared_ptr<const TileGridData> OldGrid(const TileKey& key);
    std::shared_ptr<const TileCore> ReadFile(const TileKey& key, std::uint64_t version);
    TileCore LevelZeroCore(const world::WorldModel& model, const TileKey& key);
    std::shared_ptr<const HeightmapSamples> Samples(const world::WorldModel& model,
                                                    std::size_t sector);
    void WriteTile(const TileKey& key, const std::set<TileKey>& dirty);
    // `below`: what changed on the level below; `dirty`: what is computed again on this one.
    void BuildLevel(const world::WorldModel& model, int level, const std::set<TileKey>& below,
                    const std::set<TileKey>& dirty,
                    const std::function<void(std::size_t)>& progress);

    SiteFiles& files_;
    std::string folder_;
    std::vector<std::map<TileKey, std::uint64_t>> old_;
    std::vector<std::map<TileKey, std::uint64_t>> tiles_;
    std::uint64_t version_;
    std::set<TileKey> touched_;
    std::vector<std::string> superseded_;
    std::size_t written_ = 0;

    std::mutex mutex_;
    std::map<TileKey, Cached> cache_;
    std::map<TileKey, std::shared_ptr<const TileGridData>> oldGrids_;
    std::vector<TileKey> dropOrder_;  // read-back-able tiles, oldest first
    std::size_t cachedBytes_ = 0;
    std::map<std::size_t, std::shared_ptr<const HeightmapSamples>> samples_;
    // Sectors by place, each place's in (B, A) order, for painting level 0.
    std::map<std::pair<int, int>, std::vector<std::size_t>> sectorsAt_;
};

}  // namespace web
