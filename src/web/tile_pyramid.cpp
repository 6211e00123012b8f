#include "web/tile_pyramid.h"

#include <algorithm>
#include <atomic>
#include <bitset>
#include <iterator>
#include <set>
#include <sstream>
#include <thread>
#include <utility>

#include "terrain/grid_constants.h"
#include "web/data_file.h"
#include "world/sector_file.h"
#include "world/sector_place.h"

namespace web {

namespace {

constexpr std::size_t CoreBytes = std::size_t{TileSide} * TileSide * 3;

// Runs work(k) for k in [0, count) on the machine's cores; rethrows the first failure.
template <typename Work>
void ParallelFor(std::size_t count, const Work& work) {
    const std::size_t threads =
        std::min<std::size_t>(count, std::max(1u, std::thread::hardware_concurrency()));
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureMutex;
    const auto run = [&] {
        for (std::size_t k = next++; k < count; k = next++) {
            try {
                work(k);
            } catch (...) {
                const std::lock_guard lock(failureMutex);
                if (!failure) {
                    failure = std::current_exception();
                }
                next = count;
            }
        }
    };
    std::vector<std::jthread> helpers;
    for (std::size_t t = 1; t < threads; ++t) {
        helpers.emplace_back(run);
    }
    run();
    helpers.clear();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

TileKey Parent(const TileKey& key) {
    const auto half = [](std::int64_t value) {
        return value >= 0 ? value / 2 : -((1 - value) / 2);
    };
    return {key.level + 1, half(key.x), half(key.y)};
}

}  // namespace

std::string TilePyramid::FileKey(const TileKey& key) const {
    return WorldFileKey(folder_, TileFileKey(key));
}

TilePyramid::TilePyramid(SiteFiles& files, std::string folder,
                         std::vector<std::map<TileKey, std::uint64_t>> existing,
                         std::uint64_t version, std::size_t cacheBytes)
    : files_(files),
      folder_(std::move(folder)),
      old_(std::move(existing)),
      version_(version),
      cacheBytes_(cacheBytes) {}

void TilePyramid::TouchPlace(int a, int b) {
    // A sector's samples end on its neighbours' first ones, and tiles on multiples of 126 too:
    // a sector that reaches a tile's edge lies in the tile beyond as well, so both are computed
    // again, and no tile's ring changes without the tile itself.
    const std::int64_t x0 = std::int64_t{a} * world::SectorStride;
    const std::int64_t y0 = std::int64_t{b} * world::SectorStride;
    for (std::int64_t y = TileOf(y0); y <= TileOf(y0 + GridSide - 1); ++y) {
        for (std::int64_t x = TileOf(x0); x <= TileOf(x0 + GridSide - 1); ++x) {
            touched_.insert({0, x, y});
        }
    }
}

void TilePyramid::Touch(const world::WorldModel& model, const std::vector<std::size_t>& sectors) {
    for (const std::size_t s : sectors) {
        const world::SectorPlace place = model.Layout().sectors[s].place;
        TouchPlace(place.a, place.b);
    }
}

void TilePyramid::TouchAll(const world::WorldModel& model) {
    for (std::size_t s = 0; s < model.Layout().sectors.size(); ++s) {
        if (model.Summary(s) != nullptr) {
            const world::SectorPlace place = model.Layout().sectors[s].place;
            TouchPlace(place.a, place.b);
        }
    }
    // Tiles of the site as it was are all written again, whatever they hold now.
    if (!old_.empty()) {
        for (const auto& [key, version] : old_[0]) {
            touched_.insert(key);
        }
    }
}

std::shared_ptr<const HeightmapSamples> TilePyramid::Samples(const world::WorldModel& model,
                                                             std::size_t sector) {
    {
        const std::lock_guard lock(mutex_);
        if (const auto found = samples_.find(sector); found != samples_.end()) {
            return found->second;
        }
    }
    auto samples = std::make_shared<HeightmapSamples>();
    std::string reason;
    // A file that cannot be read now (it changed since the first pass) leaves a hole.
    if (!world::ReadSectorFile(model.Layout().sectors[sector].source.hostPath, *samples, reason)) {
        samples.reset();
    }
    const std::lock_guard lock(mutex_);
    samples_[sector] = samples;
    return samples;
}

template <typename Visit>
void TilePyramid::ForEachSectorOf(const TileKey& key, const Visit& visit) const {
    // Sectors 4X - 1 to 4X + 4 reach into tile X's grid (the first by its last column, the last
    // by its first, in the ring), in (B, A) order so that later ones win shared samples.
    for (std::int64_t b = key.y * SectorsPerTile - 1; b <= (key.y + 1) * SectorsPerTile; ++b) {
        for (std::int64_t a = key.x * SectorsPerTile - 1; a <= (key.x + 1) * SectorsPerTile; ++a) {
            const auto found = sectorsAt_.find({int(a), int(b)});
            if (found != sectorsAt_.end()) {
                for (const std::size_t s : found->second) {
                    visit(int(a), int(b), s);
                }
            }
        }
    }
}

TileGridData TilePyramid::LevelZeroGrid(const world::WorldModel& model, const TileKey& key) {
    TileGridData grid;
    grid.Clear();
    ForEachSectorOf(key, [&](int a, int b, std::size_t sector) {
        if (const auto samples = Samples(model, sector)) {
            PaintSector(key, {a, b, {samples->data(), samples->size()}}, grid);
        }
    });
    Painted(key);
    return grid;
}

bool TilePyramid::ReadGrid(const TileKey& key, std::uint64_t version, TileGridData& grid) const {
    // Kept between the calls of a thread: a tile's text and payload are near a megabyte each.
    // Read below the site's folder: a link in it leads nowhere.
    thread_local std::string text;
    thread_local std::vector<std::uint8_t> payload;
    return files_.ReadInto(DataFilePath(FileKey(key), version), text) &&
           ReadDataFile(text, FileKey(key), TilePayloadBytes, payload) &&
           GridFromPayload(payload, grid);
}

std::shared_ptr<const TileCore> TilePyramid::ReadFile(const TileKey& key, std::uint64_t version) {
    TileGridData grid;
    // A file damaged or missing reads as no ground: it is written again at the next change.
    if (!ReadGrid(key, version, grid)) {
        return nullptr;
    }
    auto core = std::make_shared<const TileCore>(CoreOfGrid(grid));
    return core;
}

std::shared_ptr<const TileGridData> TilePyramid::OldGrid(const TileKey& key) {
    const auto index = static_cast<std::size_t>(key.level);
    if (index >= old_.size() || !old_[index].contains(key)) {
        return nullptr;
    }
    {
        const std::lock_guard lock(mutex_);
        if (const auto found = oldGrids_.find(key); found != oldGrids_.end()) {
            return found->second;
        }
    }
    auto grid = std::make_shared<TileGridData>();
    if (!ReadGrid(key, old_[index].at(key), *grid)) {
        grid.reset();
    }
    const std::lock_guard lock(mutex_);
    oldGrids_[key] = grid;
    return grid;
}

std::shared_ptr<const TileCore> TilePyramid::Core(const TileKey& key, bool keep) {
    {
        const std::lock_guard lock(mutex_);
        if (const auto found = cache_.find(key); found != cache_.end()) {
            return found->second.core;
        }
    }
    // The level as this run left it so far, else as the site had it.
    const auto index = static_cast<std::size_t>(key.level);
    const std::map<TileKey, std::uint64_t>* level =
        index < tiles_.size() ? &tiles_[index] : (index < old_.size() ? &old_[index] : nullptr);
    if (level == nullptr) {
        return nullptr;
    }
    const auto found = level->find(key);
    if (found == level->end()) {
        return nullptr;
    }
    std::shared_ptr<const TileCore> core = ReadFile(key, found->second);
    if (keep) {
        Keep(key, core, true);
    }
    return core;
}

void TilePyramid::Keep(const TileKey& key, std::shared_ptr<const TileCore> core, bool inFile) {
    const auto droppable = [](const Cached& entry) {
        return entry.inFile && entry.core ? CoreBytes : 0;
    };
    const std::lock_guard lock(mutex_);
    Cached& entry = cache_[key];
    droppableBytes_ -= droppable(entry);
    entry = {std::move(core), inFile};
    droppableBytes_ += droppable(entry);
    // Beyond the budget, tiles that can be read back go, oldest first, this one last of all.
    // Beside them are the tiles computed and not yet written: two rows of a level at most.
    std::size_t dropped = 0;
    while (droppableBytes_ > cacheBytes_ && dropped < dropOrder_.size()) {
        const auto old = cache_.find(dropOrder_[dropped++]);
        if (old != cache_.end() && old->second.inFile && old->first != key) {
            droppableBytes_ -= droppable(old->second);
            cache_.erase(old);
        }
    }
    dropOrder_.erase(dropOrder_.begin(), dropOrder_.begin() + static_cast<std::ptrdiff_t>(dropped));
    if (inFile) {
        dropOrder_.push_back(key);
    }
}

void TilePyramid::WriteTile(const TileKey& key, const std::set<TileKey>& dirty) {
    // The ring: what changed beside the tile comes from its new core; the rest is what the
    // tile's file held, when it had one (a ring changes only with the tile beside it), so an
    // update reads one file a tile rather than its eight neighbours'.
    const auto index = static_cast<std::size_t>(key.level);
    const std::map<TileKey, std::uint64_t>* was = index < old_.size() ? &old_[index] : nullptr;
    const auto old =
        was != nullptr ? was->find(key) : std::map<TileKey, std::uint64_t>::const_iterator{};
    const bool hadFile = was != nullptr && old != was->end();
    std::array<std::shared_ptr<const TileCore>, 9> held;
    std::array<const TileCore*, 9> neighbours{};
    std::bitset<9> keep;
    for (int k = 0; k < 9; ++k) {
        const TileKey beside{key.level, key.x + k % 3 - 1, key.y + k / 3 - 1};
        if (k != 4 && hadFile && !dirty.contains(beside)) {
            keep[std::size_t(k)] = true;
            continue;
        }
        held[std::size_t(k)] = Core(beside);
        neighbours[std::size_t(k)] = held[std::size_t(k)].get();
    }
    TileGridData grid;
    const std::shared_ptr<const TileGridData> oldGrid = keep.any() ? OldGrid(key) : nullptr;
    if (oldGrid) {
        grid = *oldGrid;
    } else {
        grid.Clear();
        // No old file that reads: the neighbours' own pixels, then.
        for (int k = 0; k < 9; ++k) {
            if (keep[std::size_t(k)]) {
                held[std::size_t(k)] = Core({key.level, key.x + k % 3 - 1, key.y + k / 3 - 1});
                neighbours[std::size_t(k)] = held[std::size_t(k)].get();
            }
        }
        keep.reset();
    }
    PlaceInGrid(neighbours, keep, grid);
    files_.Write(DataFilePath(FileKey(key), version_),
                 DataFileText(FileKey(key), GridPayload(grid)));
}

void TilePyramid::BuildLevel(const world::WorldModel& model, int level,
                             const std::set<TileKey>& below, const std::set<TileKey>& dirty,
                             const std::function<void(std::size_t)>& progress) {
    const auto index = static_cast<std::size_t>(level);
    if (tiles_.size() <= index) {
        tiles_.resize(index + 1);
    }
    std::map<TileKey, std::uint64_t>& now = tiles_[index];
    if (old_.size() > index) {
        now = old_[index];
    }
    // Written: from now on it can be read back from its file.
    const auto written = [&](const TileKey& key, std::shared_ptr<const TileCore> core) {
        const auto old = now.find(key);
        if (old != now.end() && old->second != version_) {
            superseded_.push_back(DataFilePath(FileKey(key), old->second));
        }
        now[key] = version_;
        Keep(key, std::move(core), true);
        const std::lock_guard lock(mutex_);
        oldGrids_.erase(key);
        ++written_;
    };
    // By rows: above level 0, a row's tiles are written once the rows beside it are computed
    // (a level-0 tile's ring comes from the sectors, so it is written at once).
    std::map<std::int64_t, std::vector<TileKey>> rows;
    for (const TileKey& key : dirty) {
        rows[key.y].push_back(key);
    }
    std::map<std::int64_t, std::vector<TileKey>> writeRows;
    const auto writeRowsBefore = [&](std::optional<std::int64_t> row) {
        for (auto it = writeRows.begin(); it != writeRows.end() && (!row || it->first < *row);) {
            std::vector<TileKey>& keys = it->second;
            ParallelFor(keys.size(), [&](std::size_t k) { WriteTile(keys[k], dirty); });
            for (const TileKey& key : keys) {
                written(key, Core(key));
            }
            it = writeRows.erase(it);
        }
    };
    for (const auto& row : rows) {
        // Named rather than bound: a lambda may not capture a structured binding before C++20's
        // P1091, which clang 14 lacks.
        const auto y = row.first;
        const auto& keys = row.second;
        if (level == 0) {
            PlanSamples(model, keys);
        }
        std::vector<std::shared_ptr<const TileCore>> computed(keys.size());
        ParallelFor(keys.size(), [&](std::size_t k) {
            const TileKey& key = keys[k];
            if (level == 0) {
                const TileGridData grid = LevelZeroGrid(model, key);
                TileCore core = CoreOfGrid(grid);
                if (!core.Empty()) {
                    files_.Write(DataFilePath(FileKey(key), version_),
                                 DataFileText(FileKey(key), GridPayload(grid)));
                    computed[k] = std::make_shared<const TileCore>(std::move(core));
                }
                return;
            }
            // The quarters whose child changed, over the tile as its file had it (the rest is as
            // it was): one file read rather than the clean children's, none when all changed.
            // Children are read and not kept: each is read once, by its parent.
            std::array<TileKey, 4> children;
            bool allChanged = true;
            for (int c = 0; c < 4; ++c) {
                children[std::size_t(c)] = {level - 1, key.x * 2 + c % 2, key.y * 2 + c / 2};
                allChanged = allChanged && below.contains(children[std::size_t(c)]);
            }
            const std::shared_ptr<const TileGridData> old = allChanged ? nullptr : OldGrid(key);
            TileCore core = old ? CoreOfGrid(*old) : TileCore();
            for (int c = 0; c < 4; ++c) {
                if (!old || below.contains(children[std::size_t(c)])) {
                    PlaceChild(Core(children[std::size_t(c)], false).get(), c, core);
                }
            }
            if (!core.Empty()) {
                computed[k] = std::make_shared<const TileCore>(std::move(core));
            }
        });
        for (std::size_t k = 0; k < keys.size(); ++k) {
            const TileKey& key = keys[k];
            if (!computed[k]) {
                // No ground here any more: its file goes.
                if (const auto old = now.find(key); old != now.end()) {
                    superseded_.push_back(DataFilePath(FileKey(key), old->second));
                    now.erase(old);
                }
                Keep(key, nullptr, false);
            } else if (level == 0) {
                written(key, computed[k]);
            } else {
                Keep(key, computed[k], false);
                writeRows[key.y].push_back(key);
            }
        }
        progress(keys.size());
        writeRowsBefore(y);
    }
    writeRowsBefore(std::nullopt);
}

void TilePyramid::PlanSamples(const world::WorldModel& model, const std::vector<TileKey>& row) {
    // Sectors of the rows beside this one's last two, which it shares with the next, are of no
    // more use; of the rest, each is dropped once the last tile of this row that paints it has.
    const std::int64_t shared = (row.front().y + 1) * SectorsPerTile - 1;
    const std::lock_guard lock(mutex_);
    std::erase_if(samples_, [&](const auto& entry) {
        return model.Layout().sectors[entry.first].place.b < shared - SectorsPerTile;
    });
    painters_.clear();
    for (const TileKey& key : row) {
        ForEachSectorOf(key, [&](int, int b, std::size_t sector) {
            if (b < shared) {
                ++painters_[sector];
            }
        });
    }
}

void TilePyramid::Painted(const TileKey& key) {
    const std::lock_guard lock(mutex_);
    ForEachSectorOf(key, [&](int, int, std::size_t sector) {
        const auto left = painters_.find(sector);
        if (left != painters_.end() && --left->second == 0) {
            samples_.erase(sector);
            painters_.erase(left);
        }
    });
}

void TilePyramid::Build(const world::WorldModel& model,
                        const std::function<void(std::size_t)>& progress) {
    for (std::size_t s = 0; s < model.Layout().sectors.size(); ++s) {
        if (model.Summary(s) != nullptr) {
            const world::SectorPlace place = model.Layout().sectors[s].place;
            sectorsAt_[{place.a, place.b}].push_back(s);
        }
    }
    std::set<TileKey> dirty = std::move(touched_);
    std::set<TileKey> below;
    for (int level = 0;; ++level) {
        BuildLevel(model, level, below, dirty, progress);
        const std::map<TileKey, std::uint64_t>& now = tiles_[static_cast<std::size_t>(level)];
        if (level == 0) {
            samples_.clear();
            painters_.clear();
        }
        if (now.size() <= 1) {
            break;
        }
        // The level above: parents of what changed, and tiles it lacks (the world grew).
        std::set<TileKey> above;
        for (const TileKey& key : dirty) {
            above.insert(Parent(key));
        }
        const std::size_t next = static_cast<std::size_t>(level) + 1;
        for (const auto& [key, version] : now) {
            if (old_.size() <= next || !old_[next].contains(Parent(key))) {
                above.insert(Parent(key));
            }
        }
        below = std::exchange(dirty, std::move(above));
    }
    // Levels above the top the world needs now (it shrank) go.
    for (std::size_t level = tiles_.size(); level < old_.size(); ++level) {
        for (const auto& [key, version] : old_[level]) {
            superseded_.push_back(DataFilePath(FileKey(key), version));
        }
    }
    // Tiles of kept levels that were neither kept nor written are gone already; the cache is
    // not needed any more.
    cache_.clear();
    dropOrder_.clear();
    oldGrids_.clear();
    droppableBytes_ = 0;
}

}  // namespace web
