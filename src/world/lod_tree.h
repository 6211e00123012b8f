#pragma once
// The levels of detail above single sectors: a quadtree over the box of places, whose node of
// level k covers 2^k x 2^k places with one 15 x 15 grid, its points 9 * 2^k samples apart (the
// points of level 1 are every sector's coarsest points, 18 apart). Chunked level of detail: a
// node's error is the greatest vertical distance between its surface and the full samples below
// it, never less than its children's, so a frame draws a node whole or refines it into its four
// children, and a leaf (one sector) at the coarsest of its own levels that is fine enough.

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "world/sector_summary.h"
#include "world/world_layout.h"

namespace world {

inline constexpr int NodeSide = 15;

struct LodNode {
    int level = 0;  // 0: one place, a sector's
    int p = 0;      // its first place is (firstA + p 2^level, firstB + q 2^level)
    int q = 0;
    int sector = -1;  // level 0: the sector drawn there, or -1
    std::array<int, 4> children{-1, -1, -1, -1};
    float error = 0.0f;           // samples
    std::uint16_t least = 65535;  // lowest and highest sample below it
    std::uint16_t greatest = 0;
    // Level 1 and up: NodeSide x NodeSide points, and which of them some sector holds.
    std::shared_ptr<const std::vector<std::uint16_t>> heights;
    std::shared_ptr<const std::vector<std::uint8_t>> present;
};

class LodTree {
public:
    // summaries[s] and layout.sectors[s] describe sector s; a null summary leaves a hole. The
    // summaries must outlive the tree.
    LodTree(const WorldLayout& layout, const std::vector<const SectorSummary*>& summaries);

    int Root() const { return root_; }
    const LodNode& Node(int index) const { return nodes_[static_cast<std::size_t>(index)]; }
    std::size_t Size() const { return nodes_.size(); }

    // Samples between a node's grid points, and the world sample of its first point.
    static int StepOf(int level) { return 9 << level; }
    std::int64_t OriginX(const LodNode& node) const;
    std::int64_t OriginY(const LodNode& node) const;

private:
    // The node over the places of `sectors` (all inside it), or -1 when there are none.
    int Build(int level, int p, int q, const std::vector<int>& sectors);
    int SectorAtPlace(std::int64_t a, std::int64_t b) const;
    // The sample a sector holds at world sample (gx, gy) on the coarse lattice, the later in
    // (B, A) order winning on shared edges; false where none does.
    bool CoarseSampleAt(std::int64_t gx, std::int64_t gy, std::uint16_t& sample) const;
    // The same at point (i, j) of a first-level node, its children built: read off the sectors
    // below it where no sector beyond it comes first.
    bool SectorPointAt(const LodNode& node, int i, int j, std::uint16_t& sample) const;
    // The same at point (fi, fj) of a node's lattice at half its step (level 2 and up, its
    // children built), read off the children, whose points hold what the sectors hold there.
    bool HalfStepSampleAt(const LodNode& node, int fi, int fj, std::uint16_t& sample) const;
    // The child of `node` whose grid holds point (i, j) of the node's lattice, each child
    // `last` cells a side, and the point in the child's grid; no child where none is built.
    struct ChildPoint {
        const LodNode* child = nullptr;
        int i = 0;
        int j = 0;
    };
    ChildPoint ChildHolding(const LodNode& node, int i, int j, int last) const;
    // Whether some place of the node's, inside the world's box, has no sector.
    bool HasHoles(const LodNode& node, const std::vector<int>& sectors) const;
    // Whether a triangle of the node's grid, its corners all held, lies over a place without a
    // sector.
    bool DrawsOverHoles(const LodNode& node, const std::vector<std::uint8_t>& present) const;

    int firstA_;
    int firstB_;
    int columnsA_;
    int rowsB_;
    std::vector<const SectorSummary*> summaries_;  // owned by the caller, who outlives the tree
    std::vector<SectorPlace> places_;
    // The sector drawn at each place (relative to the box's first), by (a << 32 | b).
    std::unordered_map<std::uint64_t, int> placeSectors_;
    std::vector<LodNode> nodes_;
    int root_ = -1;
};

}  // namespace world
