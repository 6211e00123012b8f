#include "world/world_model.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <unordered_map>

#include "world/lod_tree.h"
#include "world/sector_file.h"
#include "world/sector_store.h"
#include "world/sector_summary.h"
#include "world/summary_file.h"
#include "world/world_layout.h"

namespace world {

namespace {

struct SectorRecord {
    std::optional<SectorSummary> summary;  // none: unreadable or removed, drawn as a hole
    std::optional<SummaryKey> key;
    std::uint64_t version = 0;
    std::shared_ptr<const std::vector<std::uint16_t>> coarse;
};

std::uint64_t SectorPatchKey(int sector, std::size_t level) {
    return (static_cast<std::uint64_t>(sector) << 4) | level;
}

std::uint64_t NodePatchKey(int node) {
    return (std::uint64_t{1} << 63) | static_cast<std::uint64_t>(node);
}

// The terrain folder that holds a world's sector folders, which names its summary file.
std::filesystem::path TerrainFolderOf(const std::vector<SectorSource>& sources) {
    if (sources.empty()) {
        return {};
    }
    const auto first = std::min_element(sources.begin(), sources.end(),
                                        [](const SectorSource& left, const SectorSource& right) {
                                            return left.hostPath < right.hostPath;
                                        });
    return std::filesystem::path(first->hostPath).parent_path().parent_path();
}

}  // namespace

struct WorldModel::State {
    ModelOptions options;
    WorldLayout layout;  // layout.sectors[s] is records[s]
    std::vector<SectorRecord> records;
    std::vector<const SectorSummary*> summaries;
    std::unique_ptr<LodTree> tree;
    ShadingRange range{65535, 0};
    Bounds bounds{};
    float skirtDepth = 0.0f;
    std::uint64_t generation = 0;
    std::unique_ptr<SectorStore> store;
    std::vector<std::pair<double, int>> lastWanted;

    bool Summarise(std::size_t s, std::string& reason);
    void FirstPass(const std::filesystem::path& summaryPath);
    void Rebuild();
    std::shared_ptr<const std::vector<std::uint16_t>> CoarseHeights(int sector);

    struct View {
        Camera camera;
        double pixelsPerUnit;  // at distance 1
        double tanX;
        double tanY;
        double maxError;
    };
    void Visit(const View& view, int node, FrameSelection* frame,
               std::vector<std::pair<double, int>>& wanted);
    bool Outside(const View& view, double minX, double minY, double minZ, double maxX, double maxY,
                 double maxZ) const;
};

bool WorldModel::State::Summarise(std::size_t s, std::string& reason) {
    HeightmapSamples samples;
    const std::string& path = layout.sectors[s].source.hostPath;
    SectorRecord& record = records[s];
    record.key = KeyOfFile(path);
    if (!ReadSectorFile(path, samples, reason)) {
        record.summary.reset();
        return false;
    }
    record.summary = SummariseSector(samples);
    return true;
}

void WorldModel::State::FirstPass(const std::filesystem::path& summaryPath) {
    // By the stored paths themselves: a big world holds tens of thousands.
    std::unordered_map<std::string_view, const SummaryEntry*> kept;
    std::optional<std::vector<SummaryEntry>> stored;
    if (!summaryPath.empty()) {
        std::vector<std::size_t> pathLengths;
        pathLengths.reserve(layout.sectors.size());
        for (const PlacedSector& sector : layout.sectors) {
            pathLengths.push_back(sector.source.hostPath.size());
        }
        stored = LoadSummaryFile(summaryPath, SummaryFileBytesFor(pathLengths));
        if (stored) {
            kept.reserve(stored->size());
            for (const SummaryEntry& entry : *stored) {
                kept[entry.key.path] = &entry;
            }
        }
    }
    const std::size_t count = layout.sectors.size();
    records.assign(count, {});
    // One look at each file: where its lister looked already (both listers do), that look
    // stands.
    const auto keyOf = [](const SectorSource& source) -> std::optional<SummaryKey> {
        if (source.listed) {
            return SummaryKey{source.hostPath, source.listed->size,
                              source.listed->modifiedNanoseconds};
        }
        return KeyOfFile(source.hostPath);
    };
    std::vector<std::string> reasons(count);
    std::vector<char> unreadable(count, 0);
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> done{0};
    std::atomic<bool> changed{!stored || stored->size() != count};
    std::mutex progressMutex;
    const auto work = [&] {
        for (std::size_t s = next++; s < count && !options.stop.stop_requested(); s = next++) {
            const SectorSource& source = layout.sectors[s].source;
            const auto entry = kept.find(source.hostPath);
            const std::optional<SummaryKey> key = keyOf(source);
            if (entry != kept.end() && key && *key == entry->second->key) {
                records[s].key = key;
                records[s].summary = entry->second->summary;
            } else {
                changed = true;
                unreadable[s] = Summarise(s, reasons[s]) ? 0 : 1;
            }
            const std::size_t finished = ++done;
            if (options.progress) {
                const std::lock_guard lock(progressMutex);
                options.progress(finished, count);
            }
        }
    };
    std::vector<std::thread> helpers;
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned t = 1; t < threads && t < count; ++t) {
        helpers.emplace_back(work);
    }
    work();
    for (std::thread& helper : helpers) {
        helper.join();
    }
    if (options.stop.stop_requested()) {
        throw FirstPassStopped();
    }
    for (std::size_t s = 0; s < count; ++s) {
        if (unreadable[s] != 0) {
            const PlacedSector& sector = layout.sectors[s];
            if (!options.unreadable) {
                throw std::runtime_error(sector.source.hostPath + ": " + reasons[s]);
            }
            options.unreadable(sector.source.name, sector.source.hostPath, reasons[s]);
        }
    }
    if (changed && !summaryPath.empty()) {
        std::vector<SummaryEntry> entries;
        for (const SectorRecord& record : records) {
            if (record.summary && record.key) {
                entries.push_back({*record.key, *record.summary});
            }
        }
        StoreSummaryFile(summaryPath, entries);  // a cache: failing to keep it costs time only
    }
}

void WorldModel::State::Rebuild() {
    // The box of places of the sectors that are still there.
    WorldLayout live;
    summaries.assign(records.size(), nullptr);
    bool first = true;
    int lastA = 0;
    int lastB = 0;
    std::uint16_t low = 65535;
    std::uint16_t high = 0;
    std::uint16_t least = 65535;
    for (std::size_t s = 0; s < records.size(); ++s) {
        if (!records[s].summary) {
            continue;
        }
        summaries[s] = &*records[s].summary;
        const SectorPlace place = layout.sectors[s].place;
        live.firstA = first ? place.a : std::min(live.firstA, place.a);
        live.firstB = first ? place.b : std::min(live.firstB, place.b);
        lastA = first ? place.a : std::max(lastA, place.a);
        lastB = first ? place.b : std::max(lastB, place.b);
        first = false;
        low = std::min(low, records[s].summary->rangeLow);
        high = std::max(high, records[s].summary->greatest);
        least = std::min(least, records[s].summary->least);
    }
    layout.firstA = live.firstA;
    layout.firstB = live.firstB;
    layout.columnsA = first ? 0 : lastA - live.firstA + 1;
    layout.rowsB = first ? 0 : lastB - live.firstB + 1;
    range = ShadingRange(low, high);
    tree = std::make_unique<LodTree>(layout, summaries);
    const double root = tree->Root() >= 0 ? tree->Node(tree->Root()).error : 0.0;
    // Two patches side by side each stray at most the root's error from the samples, so a
    // skirt of twice that (and a little) always reaches the other's edge.
    skirtDepth = static_cast<float>(2.0 * std::min(root, 65535.0) * SampleHeight + SampleSpacing);
    bounds = {SampleSpacing * SectorStride * layout.firstA,
              SampleSpacing * SectorStride * layout.firstB,
              SampleHeight * (first ? 0 : least),
              SampleSpacing * SectorStride * (layout.firstA + layout.columnsA),
              SampleSpacing * SectorStride * (layout.firstB + layout.rowsB),
              SampleHeight * high};
    ++generation;
}

std::shared_ptr<const std::vector<std::uint16_t>> WorldModel::State::CoarseHeights(int sector) {
    SectorRecord& record = records[static_cast<std::size_t>(sector)];
    if (!record.coarse) {
        record.coarse = std::make_shared<const std::vector<std::uint16_t>>(
            record.summary->coarse.begin(), record.summary->coarse.end());
    }
    return record.coarse;
}

bool WorldModel::State::Outside(const View& view, double minX, double minY, double minZ,
                                double maxX, double maxY, double maxZ) const {
    std::array<std::array<double, 3>, 8> corners;
    for (int k = 0; k < 8; ++k) {
        corners[static_cast<std::size_t>(k)] =
            ToView(view.camera, ((k & 1) != 0 ? maxX : minX) - view.camera.x,
                   ((k & 2) != 0 ? maxY : minY) - view.camera.y,
                   ((k & 4) != 0 ? maxZ : minZ) - view.camera.z);
    }
    const auto allOutside = [&](auto outside) {
        return std::all_of(corners.begin(), corners.end(), outside);
    };
    return allOutside([](const auto& p) { return p[2] < NearPlane; }) ||
           allOutside([&](const auto& p) { return p[0] > p[2] * view.tanX; }) ||
           allOutside([&](const auto& p) { return p[0] < -p[2] * view.tanX; }) ||
           allOutside([&](const auto& p) { return p[1] > p[2] * view.tanY; }) ||
           allOutside([&](const auto& p) { return p[1] < -p[2] * view.tanY; });
}

void WorldModel::State::Visit(const View& view, int index, FrameSelection* frame,
                              std::vector<std::pair<double, int>>& wanted) {
    const LodNode& node = tree->Node(index);
    const std::int64_t originX = tree->OriginX(node);
    const std::int64_t originY = tree->OriginY(node);
    const double span = SampleSpacing * (std::int64_t{SectorStride} << node.level);
    const double minX = SampleSpacing * static_cast<double>(originX);
    const double minY = SampleSpacing * static_cast<double>(originY);
    // The box leaves the skirts out: a gap they close lies between two edges that both join
    // samples of this node's edge, so within its heights, and out of view when the ground is.
    const double minZ = SampleHeight * node.least;
    const double maxZ = SampleHeight * node.greatest;
    if (Outside(view, minX, minY, minZ, minX + span, minY + span, maxZ)) {
        return;
    }
    const auto axis = [](double value, double low, double high) {
        return value < low ? low - value : (value > high ? value - high : 0.0);
    };
    const double dx = axis(view.camera.x, minX, minX + span);
    const double dy = axis(view.camera.y, minY, minY + span);
    const double dz = axis(view.camera.z, minZ, maxZ);
    const double distance = std::max(NearPlane, std::sqrt(dx * dx + dy * dy + dz * dz));
    // A vertical error as it would show seen from the side at the patch's nearest point. Seen
    // from above it shows less as height, but the grey and the texture still follow the
    // samples, so no credit is taken for that.
    const auto onScreen = [&](float errorSamples) {
        return errorSamples * SampleHeight * view.pixelsPerUnit / distance;
    };

    if (node.level > 0) {
        if (view.maxError > 0.0 && onScreen(node.error) <= view.maxError) {
            if (frame != nullptr) {
                frame->patches.push_back({NodePatchKey(index), generation, originX, originY,
                                          LodTree::StepOf(node.level), NodeSide, node.heights,
                                          node.present, skirtDepth});
            }
            return;
        }
        for (const int child : node.children) {
            if (child >= 0) {
                Visit(view, child, frame, wanted);
            }
        }
        return;
    }

    const int sector = node.sector;
    SectorRecord& record = records[static_cast<std::size_t>(sector)];
    std::size_t level = LevelSteps.size() - 1;
    if (view.maxError > 0.0) {
        for (std::size_t l = 0; l < LevelSteps.size(); ++l) {
            if (onScreen(record.summary->levelErrors[l]) <= view.maxError) {
                level = l;
                break;
            }
        }
    }
    std::shared_ptr<ResidentSector> resident;
    if (level > 0) {
        resident = store->Find(sector);
        if (!resident || resident->version != record.version) {
            wanted.emplace_back(distance, sector);
            resident.reset();
            level = 0;
        }
    }
    if (frame == nullptr) {
        return;
    }
    const int step = LevelSteps[level];
    const int side = (GridSide - 1) / step + 1;
    std::shared_ptr<const std::vector<std::uint16_t>> heights;
    if (level == 0) {
        heights = CoarseHeights(sector);
    } else {
        if (resident->levels.size() < LevelSteps.size()) {
            resident->levels.resize(LevelSteps.size());
        }
        auto& built = resident->levels[level];
        if (!built) {
            auto grid =
                std::make_shared<std::vector<std::uint16_t>>(static_cast<std::size_t>(side * side));
            for (int i = 0; i < side; ++i) {
                for (int j = 0; j < side; ++j) {
                    (*grid)[static_cast<std::size_t>(i * side + j)] =
                        resident->samples[SampleIndex(i * step, j * step)];
                }
            }
            built = std::move(grid);
        }
        heights = built;
    }
    frame->patches.push_back({SectorPatchKey(sector, level), record.version, originX, originY, step,
                              side, std::move(heights), nullptr, skirtDepth});
}

WorldModel::WorldModel(std::vector<SectorSource> sources, ModelOptions options)
    : state_(std::make_unique<State>()) {
    State& state = *state_;
    state.options = std::move(options);
    const std::filesystem::path terrain = TerrainFolderOf(sources);
    state.layout = LayOutWorld(std::move(sources));
    if (state.layout.sectors.empty()) {
        throw std::runtime_error("the world has no sector named A_B to place");
    }
    state.FirstPass(state.options.summaryFolder.empty()
                        ? std::filesystem::path()
                        : SummaryFileFor(state.options.summaryFolder, terrain));
    state.Rebuild();
    state.store = std::make_unique<SectorStore>(
        state.options.cacheBytes, [this](int sector, HeightmapSamples& samples) {
            std::string reason;
            std::string path;
            {
                const std::lock_guard lock(pathMutex_);
                path = state_->layout.sectors[static_cast<std::size_t>(sector)].source.hostPath;
            }
            return ReadSectorFile(path, samples, reason);
        });
}

WorldModel::~WorldModel() = default;

ShadingRange WorldModel::Range() const {
    return state_->range;
}

WorldModel::Bounds WorldModel::Extent() const {
    return state_->bounds;
}

const std::vector<std::string>& WorldModel::Unplaced() const {
    return state_->layout.unplaced;
}

const std::vector<SharedPlace>& WorldModel::SharedPlaces() const {
    return state_->layout.shared;
}

std::size_t WorldModel::SectorCount() const {
    return state_->layout.sectors.size();
}

FrameSelection WorldModel::Select(const Camera& camera, int width, int height,
                                  double maxErrorPixels) {
    State& state = *state_;
    FrameSelection frame;
    state.store->BeginFrame();
    if (state.tree->Root() < 0 || width <= 0 || height <= 0) {
        state.lastWanted.clear();
        state.store->Want({});
        return frame;
    }
    const double tanY = std::tan(FieldOfView / 2.0);
    const State::View view{camera, height / (2.0 * tanY), tanY * width / height, tanY,
                           maxErrorPixels};
    std::vector<std::pair<double, int>> wanted;
    state.Visit(view, state.tree->Root(), &frame, wanted);
    state.lastWanted = wanted;
    frame.missingSectors = state.store->Want(std::move(wanted));
    return frame;
}

void WorldModel::Prefetch(const Camera& camera, int width, int height, double maxErrorPixels) {
    State& state = *state_;
    if (state.tree->Root() < 0 || width <= 0 || height <= 0) {
        return;
    }
    const double tanY = std::tan(FieldOfView / 2.0);
    const State::View view{camera, height / (2.0 * tanY), tanY * width / height, tanY,
                           maxErrorPixels};
    std::vector<std::pair<double, int>> ahead;
    state.Visit(view, state.tree->Root(), nullptr, ahead);
    // After everything the current frame wants.
    std::vector<std::pair<double, int>> wanted = state.lastWanted;
    const double last =
        wanted.empty() ? 0.0 : std::max_element(wanted.begin(), wanted.end())->first;
    for (const auto& [distance, sector] : ahead) {
        wanted.emplace_back(last + 1.0 + distance, sector);
    }
    state.store->Want(std::move(wanted));
}

void WorldModel::WaitForRequests() {
    state_->store->WaitUntilIdle();
}

bool WorldModel::SectorWritten(const SectorSource& source) {
    return SectorsChanged({{source, false}});
}

bool WorldModel::SectorRemoved(const std::string& name) {
    return SectorsChanged({{{name, {}}, true}});
}

bool WorldModel::SectorsChanged(const std::vector<SectorChange>& changes) {
    State& state = *state_;
    const ShadingRange before = state.range;
    bool changed = false;
    for (const SectorChange& change : changes) {
        changed = (change.removed ? Remove(change.source.name) : Write(change.source)) || changed;
    }
    if (changed) {
        state.Rebuild();
    }
    return before.Low() != state.range.Low() || before.Range() != state.range.Range();
}

bool WorldModel::Write(const SectorSource& source) {
    State& state = *state_;
    std::size_t index = state.records.size();
    for (std::size_t s = state.records.size(); s-- > 0;) {
        if (state.layout.sectors[s].source.name == source.name) {
            index = s;
            break;
        }
    }
    if (index == state.records.size()) {
        const std::optional<SectorPlace> place = ParseSectorPlace(source.name);
        if (!place) {
            state.layout.unplaced.push_back(source.name);
            return false;
        }
        const std::lock_guard lock(pathMutex_);
        state.layout.sectors.push_back({source, *place});
        state.records.emplace_back();
    }
    SectorRecord& record = state.records[index];
    std::string reason;
    if (!state.Summarise(index, reason) && state.options.unreadable) {
        state.options.unreadable(source.name, source.hostPath, reason);
    }
    record.coarse.reset();
    ++record.version;
    state.store->Forget(static_cast<int>(index), record.version);
    return true;
}

bool WorldModel::Remove(const std::string& name) {
    State& state = *state_;
    bool found = false;
    for (std::size_t s = 0; s < state.records.size(); ++s) {
        if (state.layout.sectors[s].source.name == name && state.records[s].summary) {
            state.records[s].summary.reset();
            state.records[s].coarse.reset();
            ++state.records[s].version;
            state.store->Forget(static_cast<int>(s), state.records[s].version);
            found = true;
        }
    }
    return found;
}

const WorldLayout& WorldModel::Layout() const {
    return state_->layout;
}

const SectorSummary* WorldModel::Summary(std::size_t sector) const {
    const std::optional<SectorSummary>& summary = state_->records.at(sector).summary;
    return summary ? &*summary : nullptr;
}

const LodTree& WorldModel::Tree() const {
    return *state_->tree;
}

float WorldModel::SkirtDepth() const {
    return state_->skirtDepth;
}

std::size_t WorldModel::ResidentBytes() const {
    std::size_t bytes = state_->store->ResidentBytes();
    bytes += state_->records.size() * (sizeof(SectorRecord) + sizeof(SectorSummary));
    bytes += state_->tree->Size() * (sizeof(LodNode) + NodeSide * NodeSide * 3);
    return bytes;
}

}  // namespace world
