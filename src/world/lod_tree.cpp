#include "world/lod_tree.h"

#include <algorithm>
#include <cmath>

namespace world {

namespace {

// The height of a square grid's surface at (x, y) in grid steps, cells cut along their
// (i, j)-(i + 1, j + 1) diagonal; nullopt-like -1 where a corner is missing.
double GridSurface(const std::vector<std::uint16_t>& heights,
                   const std::vector<std::uint8_t>& present, int side, double x, double y) {
    const int i = std::min(static_cast<int>(x), side - 2);
    const int j = std::min(static_cast<int>(y), side - 2);
    const auto at = [&](int di, int dj) {
        return static_cast<std::size_t>((i + di) * side + (j + dj));
    };
    for (const std::size_t corner : {at(0, 0), at(1, 0), at(0, 1), at(1, 1)}) {
        if (present[corner] == 0) {
            return -1.0;
        }
    }
    const double s = x - i;
    const double t = y - j;
    const double h00 = heights[at(0, 0)];
    const double h11 = heights[at(1, 1)];
    if (s >= t) {
        const double h10 = heights[at(1, 0)];
        return h00 + s * (h10 - h00) + t * (h11 - h10);
    }
    const double h01 = heights[at(0, 1)];
    return h00 + t * (h01 - h00) + s * (h11 - h01);
}

}  // namespace

namespace {

std::uint64_t PlaceKey(std::int64_t a, std::int64_t b) {
    return (static_cast<std::uint64_t>(a) << 32) | static_cast<std::uint32_t>(b);
}

// A node that cannot show what lies below it is never drawn in its children's stead.
constexpr float NeverDrawn = 1e30f;

}  // namespace

LodTree::LodTree(const WorldLayout& layout, const std::vector<const SectorSummary*>& summaries)
    : firstA_(layout.firstA),
      firstB_(layout.firstB),
      columnsA_(layout.columnsA),
      rowsB_(layout.rowsB),
      summaries_(summaries) {
    std::vector<int> all;
    for (std::size_t s = 0; s < layout.sectors.size(); ++s) {
        const SectorPlace place{layout.sectors[s].place.a - firstA_,
                                layout.sectors[s].place.b - firstB_};
        places_.push_back(place);
        if (summaries[s] != nullptr) {
            // Later in (B, A) order wins a place named twice.
            placeSectors_[PlaceKey(place.a, place.b)] = static_cast<int>(s);
            all.push_back(static_cast<int>(s));
        }
    }
    int level = 0;
    while ((1 << level) < std::max(columnsA_, rowsB_)) {
        ++level;
    }
    root_ = Build(level, 0, 0, all);
}

std::int64_t LodTree::OriginX(const LodNode& node) const {
    return std::int64_t{SectorStride} * (firstA_ + (std::int64_t{node.p} << node.level));
}

std::int64_t LodTree::OriginY(const LodNode& node) const {
    return std::int64_t{SectorStride} * (firstB_ + (std::int64_t{node.q} << node.level));
}

int LodTree::SectorAtPlace(std::int64_t a, std::int64_t b) const {
    if (a < 0 || b < 0) {
        return -1;
    }
    const auto found = placeSectors_.find(PlaceKey(a, b));
    return found == placeSectors_.end() ? -1 : found->second;
}

bool LodTree::CoarseSampleAt(std::int64_t gx, std::int64_t gy, std::uint16_t& sample) const {
    const std::int64_t a = gx / SectorStride - firstA_;
    const std::int64_t b = gy / SectorStride - firstB_;
    // On a shared edge the place after it (greater B, then greater A) is asked first.
    for (std::int64_t db = 0; db >= (gy % SectorStride == 0 ? -1 : 0); --db) {
        for (std::int64_t da = 0; da >= (gx % SectorStride == 0 ? -1 : 0); --da) {
            const int sector = SectorAtPlace(a + da, b + db);
            if (sector < 0) {
                continue;
            }
            const std::int64_t r = gx - SectorStride * (firstA_ + a + da);
            const std::int64_t c = gy - SectorStride * (firstB_ + b + db);
            sample = summaries_[static_cast<std::size_t>(sector)]->coarse[static_cast<std::size_t>(
                r / CoarseStep * CoarseSide + c / CoarseStep)];
            return true;
        }
    }
    return false;
}

LodTree::ChildPoint LodTree::ChildHolding(const LodNode& node, int i, int j, int last) const {
    // On the line between two children either holds the point; the later is asked first, as
    // the later sector wins a shared edge.
    const int cx = std::min(i / last, 1);
    const int cy = std::min(j / last, 1);
    for (int y = cy; y >= (j == last ? 0 : cy); --y) {
        for (int x = cx; x >= (i == last ? 0 : cx); --x) {
            const int child = node.children[static_cast<std::size_t>(x + 2 * y)];
            if (child >= 0) {
                return {&nodes_[static_cast<std::size_t>(child)], i - x * last, j - y * last};
            }
        }
    }
    return {};
}

bool LodTree::SectorPointAt(const LodNode& node, int i, int j, std::uint16_t& sample) const {
    constexpr int Last = CoarseSide - 1;
    // A point on the node's edges may belong to a sector beyond it, which may come first.
    if (i > 0 && j > 0 && i < 2 * Last && j < 2 * Last) {
        if (const ChildPoint held = ChildHolding(node, i, j, Last); held.child != nullptr) {
            sample = summaries_[static_cast<std::size_t>(held.child->sector)]
                         ->coarse[static_cast<std::size_t>(held.i * CoarseSide + held.j)];
            return true;
        }
    }
    return CoarseSampleAt(OriginX(node) + std::int64_t{i} * CoarseStep,
                          OriginY(node) + std::int64_t{j} * CoarseStep, sample);
}

bool LodTree::HalfStepSampleAt(const LodNode& node, int fi, int fj, std::uint16_t& sample) const {
    if (const ChildPoint held = ChildHolding(node, fi, fj, NodeSide - 1); held.child != nullptr) {
        const auto at = static_cast<std::size_t>(held.i * NodeSide + held.j);
        sample = (*held.child->heights)[at];
        return (*held.child->present)[at] != 0;
    }
    // No child covers it: only a sector beyond this node's edge can hold it.
    const int halfStep = StepOf(node.level) / 2;
    return CoarseSampleAt(OriginX(node) + std::int64_t{fi} * halfStep,
                          OriginY(node) + std::int64_t{fj} * halfStep, sample);
}

bool LodTree::HasHoles(const LodNode& node, const std::vector<int>& sectors) const {
    std::vector<std::uint64_t> places;
    places.reserve(sectors.size());
    for (const int sector : sectors) {
        const SectorPlace place = places_[static_cast<std::size_t>(sector)];
        places.push_back(PlaceKey(place.a, place.b));
    }
    std::sort(places.begin(), places.end());
    const auto held =
        static_cast<std::int64_t>(std::unique(places.begin(), places.end()) - places.begin());
    const std::int64_t span = std::int64_t{1} << node.level;
    const std::int64_t columns =
        std::min<std::int64_t>(span, columnsA_ - std::int64_t{node.p} * span);
    const std::int64_t rows = std::min<std::int64_t>(span, rowsB_ - std::int64_t{node.q} * span);
    return held < columns * rows;
}

bool LodTree::DrawsOverHoles(const LodNode& node, const std::vector<std::uint8_t>& present) const {
    const auto held = [&](int i, int j) {
        return present[static_cast<std::size_t>(i * NodeSide + j)] != 0;
    };
    const double step = StepOf(node.level);
    // Points inside a triangle of the cell at (i, j), in cells: its centre, and halfway from it
    // to each corner; each triangle as its corners' offsets.
    constexpr std::array<std::array<std::array<double, 2>, 3>, 2> Triangles = {{
        {{{0, 0}, {1, 0}, {1, 1}}},
        {{{0, 0}, {1, 1}, {0, 1}}},
    }};
    for (int i = 0; i + 1 < NodeSide; ++i) {
        for (int j = 0; j + 1 < NodeSide; ++j) {
            for (const auto& corners : Triangles) {
                if (!held(i + int(corners[0][0]), j + int(corners[0][1])) ||
                    !held(i + int(corners[1][0]), j + int(corners[1][1])) ||
                    !held(i + int(corners[2][0]), j + int(corners[2][1]))) {
                    continue;
                }
                const double cu = (corners[0][0] + corners[1][0] + corners[2][0]) / 3.0;
                const double cv = (corners[0][1] + corners[1][1] + corners[2][1]) / 3.0;
                for (int k = 0; k < 4; ++k) {
                    const double u = k == 0 ? cu : (cu + corners[std::size_t(k - 1)][0]) / 2.0;
                    const double v = k == 0 ? cv : (cv + corners[std::size_t(k - 1)][1]) / 2.0;
                    const double x = static_cast<double>(OriginX(node)) + (i + u) * step;
                    const double y = static_cast<double>(OriginY(node)) + (j + v) * step;
                    const auto a =
                        static_cast<std::int64_t>(std::floor(x / SectorStride)) - firstA_;
                    const auto b =
                        static_cast<std::int64_t>(std::floor(y / SectorStride)) - firstB_;
                    if (SectorAtPlace(a, b) < 0) {
                        return true;
                    }
                }
            }
        }
    }
    return false;
}

int LodTree::Build(int level, int p, int q, const std::vector<int>& sectors) {
    if (sectors.empty()) {
        return -1;
    }
    LodNode node;
    node.level = level;
    node.p = p;
    node.q = q;
    if (level == 0) {
        node.sector = SectorAtPlace(p, q);
        const SectorSummary& summary = *summaries_[static_cast<std::size_t>(node.sector)];
        node.error = summary.levelErrors[0];
        node.least = summary.least;
        node.greatest = summary.greatest;
        nodes_.push_back(std::move(node));
        return static_cast<int>(nodes_.size() - 1);
    }
    std::array<std::vector<int>, 4> quarters;
    const int half = 1 << (level - 1);
    for (const int sector : sectors) {
        const SectorPlace place = places_[static_cast<std::size_t>(sector)];
        const int k =
            (place.a >= ((2 * p + 1) * half) ? 1 : 0) + (place.b >= ((2 * q + 1) * half) ? 2 : 0);
        quarters[static_cast<std::size_t>(k)].push_back(sector);
    }
    float childError = 0.0f;
    for (int k = 0; k < 4; ++k) {
        const int child =
            Build(level - 1, 2 * p + k % 2, 2 * q + k / 2, quarters[static_cast<std::size_t>(k)]);
        node.children[static_cast<std::size_t>(k)] = child;
        if (child >= 0) {
            const LodNode& below = nodes_[static_cast<std::size_t>(child)];
            childError = std::max(childError, below.error);
            node.least = std::min(node.least, below.least);
            node.greatest = std::max(node.greatest, below.greatest);
        }
    }
    auto heights = std::make_shared<std::vector<std::uint16_t>>(NodeSide * NodeSide, 0);
    auto present = std::make_shared<std::vector<std::uint8_t>>(NodeSide * NodeSide, 0);
    // Read off the children where they hold the point: the points of the first level are their
    // sectors' coarse points, those of a level above it every other point of its children's.
    const auto sampleAt = [&](int fi, int fj, std::uint16_t& sample) {
        return level > 1 ? HalfStepSampleAt(node, fi, fj, sample)
                         : SectorPointAt(node, fi / 2, fj / 2, sample);
    };
    for (int i = 0; i < NodeSide; ++i) {
        for (int j = 0; j < NodeSide; ++j) {
            std::uint16_t sample = 0;
            if (sampleAt(2 * i, 2 * j, sample)) {
                (*heights)[static_cast<std::size_t>(i * NodeSide + j)] = sample;
                (*present)[static_cast<std::size_t>(i * NodeSide + j)] = 1;
            }
        }
    }
    // How far this surface strays from the points of the level below, every half step (at
    // level 1 those are the sectors' coarse points, which it draws exactly). Where it cannot
    // draw ground that the level below holds, it must never stand in for it.
    double deviation = 0.0;
    if (level > 1) {
        const int fine = 2 * (NodeSide - 1);
        for (int fi = 0; fi <= fine && deviation < NeverDrawn; ++fi) {
            for (int fj = 0; fj <= fine; ++fj) {
                std::uint16_t sample = 0;
                if (!sampleAt(fi, fj, sample)) {
                    continue;
                }
                const double drawn = GridSurface(*heights, *present, NodeSide, fi / 2.0, fj / 2.0);
                if (drawn < 0.0) {
                    deviation = NeverDrawn;
                    break;
                }
                deviation = std::max(deviation, std::abs(drawn - sample));
            }
        }
    }
    // Where a hole's edges and corner are held by the sectors around it, a triangle of this
    // grid can join them across the hole: such a node would draw ground where there is none.
    if (deviation < NeverDrawn && HasHoles(node, sectors) && DrawsOverHoles(node, *present)) {
        deviation = NeverDrawn;
    }
    node.error = std::min(NeverDrawn, childError + static_cast<float>(deviation));
    node.heights = std::move(heights);
    node.present = std::move(present);
    nodes_.push_back(std::move(node));
    return static_cast<int>(nodes_.size() - 1);
}

}  // namespace world
