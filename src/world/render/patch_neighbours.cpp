#include "world/render/patch_neighbours.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <utility>

namespace world::render {

namespace {

// A stretch of a grid line, in world samples along it.
struct Stretch {
    std::int64_t from;
    std::int64_t to;
};

using Lines = std::unordered_map<std::int64_t, std::vector<Stretch>>;

bool SharesStretch(const Lines& lines, std::int64_t line, Stretch stretch) {
    const auto found = lines.find(line);
    if (found == lines.end()) {
        return false;
    }
    return std::any_of(found->second.begin(), found->second.end(), [stretch](Stretch other) {
        return std::min(other.to, stretch.to) > std::max(other.from, stretch.from);
    });
}

}  // namespace

std::vector<std::uint8_t> EdgesWithNeighbours(const std::vector<TerrainPatch>& patches) {
    // Edge e of every patch, by the line it lies on: e = 0 and 1 lie on lines x = constant,
    // running along y; e = 2 and 3 on lines y = constant, running along x.
    std::array<Lines, 4> edges;
    const auto edgeOf = [](const TerrainPatch& patch, int edge) {
        const std::int64_t span = std::int64_t(patch.side - 1) * patch.step;
        const std::int64_t line = edge == 0   ? patch.originX
                                  : edge == 1 ? patch.originX + span
                                  : edge == 2 ? patch.originY
                                              : patch.originY + span;
        const std::int64_t from = edge < 2 ? patch.originY : patch.originX;
        return std::pair{line, Stretch{from, from + span}};
    };
    for (const TerrainPatch& patch : patches) {
        if (patch.side < 2) {
            continue;
        }
        for (int edge = 0; edge < 4; ++edge) {
            const auto [line, stretch] = edgeOf(patch, edge);
            edges[static_cast<std::size_t>(edge)][line].push_back(stretch);
        }
    }
    // Edge 0 meets edge 1 of the patch before it, 2 meets 3, and the other way round.
    constexpr std::array<std::size_t, 4> Opposite = {1, 0, 3, 2};
    std::vector<std::uint8_t> masks(patches.size(), 0);
    for (std::size_t p = 0; p < patches.size(); ++p) {
        if (patches[p].side < 2) {
            continue;
        }
        for (int edge = 0; edge < 4; ++edge) {
            const auto [line, stretch] = edgeOf(patches[p], edge);
            if (SharesStretch(edges[Opposite[static_cast<std::size_t>(edge)]], line, stretch)) {
                masks[p] |= static_cast<std::uint8_t>(1u << edge);
            }
        }
    }
    return masks;
}

}  // namespace world::render
