#include "world/render/skirt_depths.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <unordered_map>

namespace world::render {

namespace {

constexpr double SampleHeight = 0.25;
constexpr double SampleSpacing = 10.0;

// One edge of a patch: the grid line it lies on (x for edges 0 and 1, y for 2 and 3) and the
// stretch of world samples it covers along that line.
struct Edge {
    std::int64_t line;
    std::int64_t from;
    std::int64_t to;
};

bool Usable(const TerrainPatch& patch) {
    const std::size_t count = std::size_t(std::max(patch.side, 0)) * std::size_t(patch.side);
    return patch.side >= 2 && patch.step >= 1 && patch.heights && patch.heights->size() >= count &&
           (!patch.present || patch.present->size() >= count);
}

Edge EdgeOf(const TerrainPatch& patch, int edge) {
    const std::int64_t span = std::int64_t(patch.side - 1) * patch.step;
    const std::int64_t line = edge == 0   ? patch.originX
                              : edge == 1 ? patch.originX + span
                              : edge == 2 ? patch.originY
                                          : patch.originY + span;
    const std::int64_t from = edge < 2 ? patch.originY : patch.originX;
    return {line, from, from + span};
}

// The index of point k along an edge.
std::size_t EdgePoint(const TerrainPatch& patch, int edge, std::int64_t k) {
    const auto side = static_cast<std::int64_t>(patch.side);
    const std::int64_t i = edge == 0 ? 0 : edge == 1 ? side - 1 : k;
    const std::int64_t j = edge == 2 ? 0 : edge == 3 ? side - 1 : k;
    return static_cast<std::size_t>(i * side + j);
}

// The edge's height in samples at world sample t along it, as its triangles draw it: linear
// between its points. None where a point it needs is absent.
std::optional<double> HeightAt(const TerrainPatch& patch, int edge, std::int64_t from,
                               std::int64_t t) {
    const std::int64_t k = (t - from) / patch.step;
    const std::int64_t rest = (t - from) % patch.step;
    const std::size_t first = EdgePoint(patch, edge, k);
    if (patch.present && (*patch.present)[first] == 0) {
        return std::nullopt;
    }
    const double h0 = (*patch.heights)[first];
    if (rest == 0) {
        return h0;
    }
    const std::size_t second = EdgePoint(patch, edge, k + 1);
    if (patch.present && (*patch.present)[second] == 0) {
        return std::nullopt;
    }
    const double h1 = (*patch.heights)[second];
    return h0 + (h1 - h0) * static_cast<double>(rest) / patch.step;
}

// The widest gap in samples between two edges on one line over the stretch they share. Both
// are straight between their points, so the widest gap lies at a point of one of them.
double WidestGap(const TerrainPatch& a, int edgeA, const Edge& lineA, const TerrainPatch& b,
                 int edgeB, const Edge& lineB, std::int64_t from, std::int64_t to) {
    double widest = 0.0;
    const auto visit = [&](std::int64_t t) {
        const std::optional<double> ha = HeightAt(a, edgeA, lineA.from, t);
        const std::optional<double> hb = HeightAt(b, edgeB, lineB.from, t);
        if (ha && hb) {
            widest = std::max(widest, std::abs(*ha - *hb));
        }
    };
    for (const auto& [patch, edge] : {std::pair{&a, &lineA}, std::pair{&b, &lineB}}) {
        // The first point of this edge at or after `from`.
        const std::int64_t step = patch->step;
        std::int64_t t = edge->from + (from - edge->from + step - 1) / step * step;
        for (; t <= to; t += step) {
            visit(t);
        }
    }
    return widest;
}

}  // namespace

std::vector<std::array<float, 4>> SkirtDepths(const std::vector<TerrainPatch>& patches) {
    // The edges of every patch by kind and line: edge 0 of one patch meets edge 1 of the
    // patch before it on the same line, edge 2 meets edge 3.
    struct Placed {
        std::size_t patch;
        Edge edge;
    };
    std::array<std::unordered_map<std::int64_t, std::vector<Placed>>, 4> lines;
    for (std::size_t p = 0; p < patches.size(); ++p) {
        if (!Usable(patches[p])) {
            continue;
        }
        for (int edge = 0; edge < 4; ++edge) {
            const Edge placed = EdgeOf(patches[p], edge);
            lines[static_cast<std::size_t>(edge)][placed.line].push_back({p, placed});
        }
    }
    constexpr std::array<int, 4> Opposite = {1, 0, 3, 2};
    std::vector<std::array<float, 4>> depths(patches.size(), std::array<float, 4>{});
    for (std::size_t p = 0; p < patches.size(); ++p) {
        const TerrainPatch& patch = patches[p];
        if (!Usable(patch) || !(patch.skirtDepth > 0.0f)) {
            continue;
        }
        for (int edge = 0; edge < 4; ++edge) {
            const Edge mine = EdgeOf(patch, edge);
            const int theirEdge = Opposite[static_cast<std::size_t>(edge)];
            const auto found = lines[static_cast<std::size_t>(theirEdge)].find(mine.line);
            if (found == lines[static_cast<std::size_t>(theirEdge)].end()) {
                continue;
            }
            double deepest = 0.0;
            for (const Placed& other : found->second) {
                const std::int64_t from = std::max(mine.from, other.edge.from);
                const std::int64_t to = std::min(mine.to, other.edge.to);
                if (to <= from) {
                    continue;
                }
                const TerrainPatch& neighbour = patches[other.patch];
                const bool shared =
                    neighbour.step == patch.step && (other.edge.from - mine.from) % patch.step == 0;
                const double gap =
                    WidestGap(patch, edge, mine, neighbour, theirEdge, other.edge, from, to);
                if (!shared || gap > 0.0) {
                    deepest = std::max(deepest, gap * SampleHeight + SampleSpacing);
                }
            }
            depths[p][static_cast<std::size_t>(edge)] =
                static_cast<float>(std::min(deepest, static_cast<double>(patch.skirtDepth)));
        }
    }
    return depths;
}

}  // namespace world::render
