// Skirts close the cracks where the patches of a frame meet: each reaches across the widest gap
// between its edge and its neighbours' (a sample spacing more where their points do not
// coincide, so that rounding leaves no pinholes), none hangs where edges share their points or
// along the rim, and none is deeper than its patch allows.

#include "world/render/skirt_depths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <random>
#include <vector>

namespace {

using world::TerrainPatch;

constexpr double Spacing = 10.0;
constexpr double Height = 0.25;
constexpr std::array<int, 4> Opposite = {1, 0, 3, 2};

TerrainPatch MakePatch(std::int64_t originX, std::int64_t originY, int step, int side) {
    TerrainPatch patch;
    patch.originX = originX;
    patch.originY = originY;
    patch.step = step;
    patch.side = side;
    patch.heights = std::make_shared<std::vector<std::uint16_t>>(std::size_t(side * side), 1000);
    patch.skirtDepth = 10000.0f;
    return patch;
}

// Edge e's line (x for 0 and 1, y for 2 and 3) and where it starts along it.
std::int64_t LineOf(const TerrainPatch& p, int e) {
    const std::int64_t span = std::int64_t{p.side - 1} * p.step;
    return e == 0 ? p.originX : e == 1 ? p.originX + span : e == 2 ? p.originY : p.originY + span;
}
std::int64_t StartOf(const TerrainPatch& p, int e) {
    return e < 2 ? p.originY : p.originX;
}

// The grid point k along edge e.
std::size_t PointOf(const TerrainPatch& p, int e, std::int64_t k) {
    const std::int64_t i = e == 0 ? 0 : e == 1 ? p.side - 1 : k;
    const std::int64_t j = e == 2 ? 0 : e == 3 ? p.side - 1 : k;
    return std::size_t(i * p.side + j);
}

std::uint16_t& HeightOf(TerrainPatch& p, int e, std::int64_t k) {
    return const_cast<std::vector<std::uint16_t>&>(*p.heights)[PointOf(p, e, k)];
}

// The edge's height in samples at world sample t along its line, straight between its points;
// nothing beyond it or where a point it needs is absent.
std::optional<double> EdgeAt(const TerrainPatch& p, int e, std::int64_t t) {
    const std::int64_t along = t - StartOf(p, e);
    if (along < 0 || along > std::int64_t{p.side - 1} * p.step) {
        return std::nullopt;
    }
    const std::int64_t k = along / p.step;
    const double f = double(along % p.step) / p.step;
    const std::size_t first = PointOf(p, e, k);
    const std::size_t second = f > 0.0 ? PointOf(p, e, k + 1) : first;
    if (p.present && ((*p.present)[first] == 0 || (*p.present)[second] == 0)) {
        return std::nullopt;
    }
    return (*p.heights)[first] + f * ((*p.heights)[second] - (*p.heights)[first]);
}

// How deep each edge's skirt must and may hang, in world units, by comparing the edges at every
// world sample they share.
struct Depth {
    double least = 0.0;
    double most = 0.0;
};
Depth Needed(const std::vector<TerrainPatch>& patches, std::size_t p, int e) {
    const TerrainPatch& mine = patches[p];
    Depth depth;
    for (std::size_t q = 0; q < patches.size(); ++q) {
        const TerrainPatch& other = patches[q];
        const int theirs = Opposite[std::size_t(e)];
        if (q == p || LineOf(other, theirs) != LineOf(mine, e)) {
            continue;
        }
        const std::int64_t from = std::max(StartOf(mine, e), StartOf(other, theirs));
        const std::int64_t to =
            std::min(StartOf(mine, e) + std::int64_t{mine.side - 1} * mine.step,
                     StartOf(other, theirs) + std::int64_t{other.side - 1} * other.step);
        if (to <= from) {
            continue;
        }
        double gap = 0.0;
        for (std::int64_t t = from; t <= to; ++t) {
            const auto a = EdgeAt(mine, e, t);
            const auto b = EdgeAt(other, theirs, t);
            if (a && b) {
                gap = std::max(gap, std::abs(*a - *b));
            }
        }
        const bool shared =
            mine.step == other.step && (StartOf(other, theirs) - StartOf(mine, e)) % mine.step == 0;
        if (shared && gap == 0.0) {
            continue;
        }
        depth.least = std::max(depth.least, gap * Height + (shared ? 0.0 : Spacing));
        depth.most = std::max(depth.most, gap * Height + Spacing);
    }
    depth.least = std::min(depth.least, double{mine.skirtDepth});
    depth.most = std::min(depth.most, double{mine.skirtDepth});
    return depth;
}

// Random patches side by side on one line, at random steps, sizes and offsets along it, their
// edges equal, nearly equal or apart, now and then at the first or last point they share, with
// points missing and shallow limits.
TEST(SkirtDepthsTest, EverySkirtReachesAcrossTheWidestGapToItsNeighbours) {
    std::mt19937 random(17);
    constexpr std::array<int, 8> Steps = {1, 2, 3, 6, 9, 18, 36, 72};
    const auto below = [&](int n) { return static_cast<int>(random() % std::uint32_t(n)); };
    std::size_t skirts = 0;
    for (int round = 0; round < 3000; ++round) {
        const bool alongY = below(2) == 0;  // meeting on a line of constant y, else of x
        const auto place = [&](std::int64_t line, std::int64_t start, int step, int side) {
            return alongY ? MakePatch(start, line, step, side) : MakePatch(line, start, step, side);
        };
        const auto sideFor = [&](int step) { return 2 + below(std::min(126, 504 / step)); };
        const int stepA = Steps[std::size_t(below(8))];
        const TerrainPatch a = place(0, 0, stepA, sideFor(stepA));
        const std::int64_t line = LineOf(a, alongY ? 3 : 1);
        const std::int64_t spanA = line;
        std::vector<TerrainPatch> patches = {a};
        std::int64_t start = 1 - spanA / 2 - below(200);
        for (int n = 1 + below(3); n > 0 && start < spanA; --n) {
            const bool sameLattice = below(3) == 0;
            const int step = sameLattice ? stepA : Steps[std::size_t(below(8))];
            const int side = sideFor(step);
            if (sameLattice) {
                start = start / stepA * stepA;
            }
            if (start + std::int64_t{side - 1} * step <= 0) {
                start = 1 - std::int64_t{side - 1} * step + below(int(spanA));
            }
            patches.push_back(place(line, start, step, side));
            start += std::int64_t{side - 1} * step + 1 + below(40);
        }
        // Heights: the first patch's edge at random, the others along it where they meet it,
        // then some points moved.
        const int edgeA = alongY ? 3 : 1;
        const int edgeB = Opposite[std::size_t(edgeA)];
        for (int k = 0; k < patches[0].side; ++k) {
            HeightOf(patches[0], edgeA, k) = std::uint16_t(800 + below(400));
        }
        for (std::size_t q = 1; q < patches.size(); ++q) {
            TerrainPatch& b = patches[q];
            std::vector<int> meeting;
            for (int k = 0; k < b.side; ++k) {
                const auto onA =
                    EdgeAt(patches[0], edgeA, StartOf(b, edgeB) + std::int64_t{k} * b.step);
                HeightOf(b, edgeB, k) = std::uint16_t(onA ? std::lround(*onA) : 800 + below(400));
                if (onA) {
                    meeting.push_back(k);
                }
            }
            if (!meeting.empty() && below(2) == 0) {
                const int which = below(3);
                HeightOf(b, edgeB,
                         which == 0   ? meeting.front()
                         : which == 1 ? meeting.back()
                                      : meeting[std::size_t(below(int(meeting.size())))]) +=
                    std::uint16_t(1 + below(300));
            }
        }
        for (TerrainPatch& patch : patches) {
            if (below(6) == 0) {
                auto present = std::make_shared<std::vector<std::uint8_t>>(
                    std::size_t(patch.side * patch.side), std::uint8_t{1});
                (*present)[PointOf(patch, &patch == &patches[0] ? edgeA : edgeB,
                                   below(patch.side))] = 0;
                patch.present = present;
            }
            if (below(5) == 0) {
                patch.skirtDepth = float(1 + below(40));
            }
        }

        const auto depths = world::render::SkirtDepths(patches);
        ASSERT_EQ(depths.size(), patches.size());
        for (std::size_t p = 0; p < patches.size(); ++p) {
            for (int e = 0; e < 4; ++e) {
                const Depth needed = Needed(patches, p, e);
                const double depth = depths[p][std::size_t(e)];
                skirts += depth > 0.0 ? 1 : 0;
                ASSERT_GE(depth, needed.least - 1e-3)
                    << "round " << round << ", patch " << p << ", edge " << e;
                ASSERT_LE(depth, needed.most + 1e-3)
                    << "round " << round << ", patch " << p << ", edge " << e;
            }
        }
    }
    EXPECT_GT(skirts, 3000u);
}

}  // namespace
