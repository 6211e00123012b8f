#include "world/lod_tree.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "world/world_layout.h"

namespace {

using world::LodTree;

// What the sectors hold at world sample (gx, gy) on the coarse lattice: on a shared edge the
// later sector in the layout's (B, A) order, as the world draws it; false where none does.
bool HeldAt(const world::WorldLayout& layout,
            const std::vector<const world::SectorSummary*>& summaries, std::int64_t gx,
            std::int64_t gy, std::uint16_t& sample) {
    for (std::size_t s = layout.sectors.size(); s-- > 0;) {
        const std::int64_t r = gx - std::int64_t{world::SectorStride} * layout.sectors[s].place.a;
        const std::int64_t c = gy - std::int64_t{world::SectorStride} * layout.sectors[s].place.b;
        if (summaries[s] != nullptr && r >= 0 && c >= 0 && r <= world::SectorStride &&
            c <= world::SectorStride) {
            sample = summaries[s]->coarse[static_cast<std::size_t>(
                r / world::CoarseStep * world::CoarseSide + c / world::CoarseStep)];
            return true;
        }
    }
    return false;
}

// Every node's points hold what the sectors hold there, whatever the holes: sparse places,
// sectors that could not be read, and two names for one place; and a node that may be drawn
// covers no hole.
TEST(LodTreeTest, EveryNodePointHoldsWhatTheSectorsHoldThere) {
    std::mt19937 random(7);
    for (int world = 0; world < 60; ++world) {
        const int columns = 1 + static_cast<int>(random() % 9);
        const int rows = 1 + static_cast<int>(random() % 9);
        std::vector<world::SectorSource> sources;
        for (int a = 0; a < columns; ++a) {
            for (int b = 0; b < rows; ++b) {
                const std::string name = std::to_string(a + 2) + "_" + std::to_string(b + 1);
                if (random() % 3 != 0) {
                    sources.push_back({name, "/" + name});
                }
                if (random() % 9 == 0) {
                    sources.push_back({"0" + name, "/0" + name});
                }
            }
        }
        const world::WorldLayout layout = world::LayOutWorld(sources);
        std::vector<world::SectorSummary> stored(layout.sectors.size());
        std::vector<const world::SectorSummary*> summaries;
        for (world::SectorSummary& summary : stored) {
            for (std::uint16_t& sample : summary.coarse) {
                sample = static_cast<std::uint16_t>(random() % 1000);
            }
            summary.greatest = 1000;
            summaries.push_back(random() % 8 == 0 ? nullptr : &summary);
        }
        const LodTree tree(layout, summaries);
        const auto heldPlace = [&](double x, double y) {
            const auto a = static_cast<int>(std::floor(x / world::SectorStride));
            const auto b = static_cast<int>(std::floor(y / world::SectorStride));
            for (std::size_t s = 0; s < layout.sectors.size(); ++s) {
                if (summaries[s] != nullptr && layout.sectors[s].place.a == a &&
                    layout.sectors[s].place.b == b) {
                    return true;
                }
            }
            return false;
        };
        for (std::size_t n = 0; n < tree.Size(); ++n) {
            const world::LodNode& node = tree.Node(static_cast<int>(n));
            if (node.level == 0) {
                continue;
            }
            // A node that may be drawn draws no triangle over a place without a sector, however
            // the sectors around it hold the hole's edges.
            const auto held = [&](int i, int j) {
                return (*node.present)[static_cast<std::size_t>(i * world::NodeSide + j)] != 0;
            };
            const double step = LodTree::StepOf(node.level);
            for (int i = 0; node.error < 1e29f && i + 1 < world::NodeSide; ++i) {
                for (int j = 0; j + 1 < world::NodeSide; ++j) {
                    for (const bool lower : {true, false}) {
                        if (!held(i, j) || !held(i + 1, j + 1) ||
                            !held(lower ? i + 1 : i, lower ? j : j + 1)) {
                            continue;
                        }
                        for (int k = 1; k < 8; ++k) {
                            for (int l = 1; l < 8 - k; ++l) {
                                // Barycentric points strictly inside the triangle.
                                const double far = k / 8.0;
                                const double near = l / 8.0;
                                const double u = lower ? far + near : far;
                                const double v = lower ? near : far + near;
                                ASSERT_TRUE(heldPlace(tree.OriginX(node) + (i + u) * step,
                                                      tree.OriginY(node) + (j + v) * step))
                                    << "world " << world << ", level " << node.level << ", cell "
                                    << i << "," << j;
                            }
                        }
                    }
                }
            }
            for (int i = 0; i < world::NodeSide; ++i) {
                for (int j = 0; j < world::NodeSide; ++j) {
                    std::uint16_t expected = 0;
                    const bool held = HeldAt(
                        layout, summaries, tree.OriginX(node) + i * LodTree::StepOf(node.level),
                        tree.OriginY(node) + j * LodTree::StepOf(node.level), expected);
                    const auto at = static_cast<std::size_t>(i * world::NodeSide + j);
                    ASSERT_EQ((*node.present)[at] != 0, held)
                        << "world " << world << ", level " << node.level << ", point " << i << ","
                        << j;
                    if (held) {
                        ASSERT_EQ((*node.heights)[at], expected)
                            << "world " << world << ", level " << node.level << ", point " << i
                            << "," << j;
                    }
                }
            }
        }
    }
}

}  // namespace
