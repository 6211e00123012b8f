#pragma once
// The height tiles of a site written or brought up to date level by level: the tiles that
// changed sectors touch are computed again and written with the ring of their neighbours' pixels
// (level 0 from the sectors' samples, ring and all, as each is computed; each level above from
// the four below it, once the rows beside it are computed); every other tile stays as its file
// has it. Written tiles are kept in memory up to a budget and read back from their files beyond
// it, and the sectors' samples only while a row of tiles paints them, so that a world of any
// size takes little more than two rows of its widest level above level 0.

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
    // Written tiles kept in memory (some 760 KB each): a row of level 1 of a 256 x 256 world,
    // so that the ring of the row below it needs no file read.
    static constexpr std::size_t DefaultCacheBytes = std::size_t{32} << 20;

    // The tiles of the world in `folder` below data/, by level, with their versions as the site
    // has them; `version` is this run's.
    TilePyramid(SiteFiles& files, std::string folder,
                std::vector<std::map<TileKey, std::uint64_t>> existing, std::uint64_t version,
                std::size_t cacheBytes = DefaultCacheBytes);

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
    // A tile's core from the cache, else from its file, kept in the cache when `keep`.
    std::shared_ptr<const TileCore> Core(const TileKey& key, bool keep = true);
    void Keep(const TileKey& key, std::shared_ptr<const TileCore> core, bool inFile);
    bool ReadGrid(const TileKey& key, std::uint64_t version, TileGridData& grid) const;
    // The grid a tile's file held before this run (null: none, or it does not read), read once.
    std::shared_ptr<const TileGridData> OldGrid(const TileKey& key);
    std::shared_ptr<const TileCore> ReadFile(const TileKey& key, std::uint64_t version);
    // visit(a, b, sector) for each sector whose samples reach into a level-0 tile's grid.
    template <typename Visit>
    void ForEachSectorOf(const TileKey& key, const Visit& visit) const;
    TileGridData LevelZeroGrid(const world::WorldModel& model, const TileKey& key);
    std::shared_ptr<const HeightmapSamples> Samples(const world::WorldModel& model,
                                                    std::size_t sector);
    // Before a row of level 0 is painted: which sectors its tiles paint, so that each is dropped
    // after its last; and after each tile, that it has.
    void PlanSamples(const world::WorldModel& model, const std::vector<TileKey>& row);
    void Painted(const TileKey& key);
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
    std::size_t cacheBytes_;
    std::set<TileKey> touched_;
    std::vector<std::string> superseded_;
    std::size_t written_ = 0;

    std::mutex mutex_;
    std::map<TileKey, Cached> cache_;
    std::map<TileKey, std::shared_ptr<const TileGridData>> oldGrids_;
    std::vector<TileKey> dropOrder_;  // read-back-able tiles, oldest first
    std::size_t droppableBytes_ = 0;  // of the cores in dropOrder_
    // Sectors' samples while level 0 is painted (32 KB each): those of the row in hand, and the
    // last two rows of sectors it shares with the next.
    std::map<std::size_t, std::shared_ptr<const HeightmapSamples>> samples_;
    std::map<std::size_t, int> painters_;  // tiles of the row in hand yet to paint each sector
    // Sectors by place, each place's in (B, A) order, for painting level 0.
    std::map<std::pair<int, int>, std::vector<std::size_t>> sectorsAt_;
};

}  // namespace web
