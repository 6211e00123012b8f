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

// Tiles kept in memory (some 760 KB each): a 64 x 64 world's level 0 whole, and three rows of
// the widest world's.
constexpr std::size_t CacheBudget = std::size_t{256} << 20;
constexpr std::size_t CoreBytes = std::size_t{TileSide} * TileSide * 3;
// Sectors' samples kept while level 0 is painted.
constexpr std::size_t SampleBudget = 2048;

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
                         std::uint64_t version)
    : files_(files), folder_(std::move(folder)), old_(std::move(existing)), version_(version) {}

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
    if (samples_.size() >= SampleBudget) {
        samples_.erase(samples_.begin());  // the lowest index: earliest in (B, A) order
    }
    samples_[sector] = samples;
    return samples;
}

TileCore TilePyramid::LevelZeroCore(const world::WorldModel& model, const TileKey& key) {
    TileCore core;
    // Sectors 4X - 1 to 4X + 3 reach into tile X (the first by its last column), in (B, A) order
    // so that later ones win shared samples.
    for (std::int64_t b = key.y * SectorsPerTile - 1; b < (key.y + 1) * SectorsPerTile; ++b) {
        for (std::int64_t a = key.x * SectorsPerTile - 1; a < (key.x + 1) * SectorsPerTile; ++a) {
            const auto found = sectorsAt_.find({int(a), int(b)});
            if (found == sectorsAt_.end()) {
                continue;
            }
            for (const std::size_t s : found->second) {
                if (const auto samples = Samples(model, s)) {
                    PaintSector(key, {int(a), int(b), {samples->data(), samples->size()}}, core);
                }
            }
        }
    }
    return core;
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

std::shared_ptr<const TileCore> TilePyramid::Core(const TileKey& key) {
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
    Keep(key, core, true);
    return core;
}

void TilePyramid::Keep(const TileKey& key, std::shared_ptr<const TileCore> core, bool inFile) {
    const std::lock_guard lock(mutex_);
    Cached& entry = cache_[key];
    cachedBytes_ += (core ? CoreBytes : 0) - (entry.core ? CoreBytes : 0);
    entry = {std::move(core), inFile};
    if (inFile) {
        dropOrder_.push_back(key);
    }
    // Beyond the budget, tiles that can be read back go, oldest first.
    std::size_t dropped = 0;
    while (cachedBytes_ > CacheBudget && dropped < dropOrder_.size()) {
        const auto old = cache_.find(dropOrder_[dropped++]);
        if (old != cache_.end() && old->second.inFile && old->first != key) {
            cachedBytes_ -= old->second.core ? CoreBytes : 0;
            cache_.erase(old);
        }
    }
    dropOrder_.erase(dropOrder_.begin(), dropOrder_.begin() + static_cast<std::ptrdiff_t>(dropped));
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
    // By rows: a row's tiles are written once the rows beside it are computed.
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
                const auto old = now.find(key);
                if (old != now.end() && old->second != version_) {
                    superseded_.push_back(DataFilePath(FileKey(key), old->second));
                }
                now[key] = version_;
                // Written: from now on it can be read back from its file.
                Keep(key, Core(key), true);
            }
            written_ += keys.size();
            it = writeRows.erase(it);
        }
    };
    for (const auto& row : rows) {
        // Named rather than bound: a lambda may not capture a structured binding before C++20's
        // P1091, which clang 14 lacks.
        const auto y = row.first;
        const auto& keys = row.second;
        std::vector<std::shared_ptr<const TileCore>> computed(keys.size());
        ParallelFor(keys.size(), [&](std::size_t k) {
            const TileKey& key = keys[k];
            TileCore core;
            if (level == 0) {
                core = LevelZeroCore(model, key);
            } else {
                // The quarters whose child changed, over the tile as its file had it (the rest is
                // as it was): one file read rather than the clean children's.
                const std::shared_ptr<const TileGridData> old = OldGrid(key);
                core = old ? CoreOfGrid(*old) : TileCore();
                for (int c = 0; c < 4; ++c) {
                    const TileKey child{level - 1, key.x * 2 + c % 2, key.y * 2 + c / 2};
                    if (!old || below.contains(child)) {
                        PlaceChild(Core(child).get(), c, core);
                    }
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
            }
            Keep(key, computed[k], false);
            if (computed[k]) {
                writeRows[key.y].push_back(key);
            }
        }
        progress(keys.size());
        writeRowsBefore(y);
    }
    writeRowsBefore(std::nullopt);
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
    oldGrids_.clear();
    cachedBytes_ = 0;
}

}  // namespace web
