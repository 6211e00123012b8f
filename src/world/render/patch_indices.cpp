#include "world/render/patch_indices.h"

namespace world::render {

namespace {

// The grid point that skirt point t of `edge` repeats.
std::uint32_t EdgePoint(int side, int edge, int t) {
    const int last = side - 1;
    const int i = edge == 0 ? 0 : edge == 1 ? last : t;
    const int j = edge == 2 ? 0 : edge == 3 ? last : t;
    return static_cast<std::uint32_t>(i * side + j);
}

}  // namespace

std::uint32_t PatchPointCount(int side) {
    return static_cast<std::uint32_t>(side * side + 4 * side);
}

PatchIndices MakePatchIndices(int side, const std::vector<std::uint8_t>* present) {
    PatchIndices indices;
    if (side < 2) {
        return indices;
    }
    const auto held = [present](std::uint32_t point) {
        return present == nullptr || (*present)[point] != 0;
    };
    const auto point = [side](int i, int j) { return static_cast<std::uint32_t>(i * side + j); };
    const std::size_t cells = std::size_t(side - 1) * std::size_t(side - 1);
    indices.ground.reserve(cells * 6);
    for (int i = 0; i + 1 < side; ++i) {
        for (int j = 0; j + 1 < side; ++j) {
            // The viewer's strip joins column j + 1 to column j: its triangles are
            // (i, j + 1), (i, j), (i + 1, j + 1) and (i, j), (i + 1, j), (i + 1, j + 1).
            const std::uint32_t a = point(i, j + 1);
            const std::uint32_t b = point(i, j);
            const std::uint32_t c = point(i + 1, j + 1);
            const std::uint32_t d = point(i + 1, j);
            if (held(a) && held(b) && held(c)) {
                indices.ground.insert(indices.ground.end(), {a, b, c});
            }
            if (held(b) && held(d) && held(c)) {
                indices.ground.insert(indices.ground.end(), {b, d, c});
            }
        }
    }
    const auto skirtBase = static_cast<std::uint32_t>(side * side);
    for (int edge = 0; edge < 4; ++edge) {
        std::vector<std::uint32_t>& skirt = indices.skirts[static_cast<std::size_t>(edge)];
        skirt.reserve(std::size_t(side - 1) * 6);
        for (int t = 0; t + 1 < side; ++t) {
            const std::uint32_t top0 = EdgePoint(side, edge, t);
            const std::uint32_t top1 = EdgePoint(side, edge, t + 1);
            if (!held(top0) || !held(top1)) {
                continue;
            }
            const auto below0 = skirtBase + static_cast<std::uint32_t>(edge * side + t);
            const std::uint32_t below1 = below0 + 1;
            skirt.insert(skirt.end(), {top0, top1, below1, top0, below1, below0});
        }
    }
    return indices;
}

}  // namespace world::render
