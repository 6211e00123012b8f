#pragma once
// The triangles of a patch as indices into its points, for GL_TRIANGLES. Points are numbered as
// the patch's heights: grid point (i, j) is i * side + j. Skirt points follow them, four edges
// of `side` points each: edge 0 is i = 0, edge 1 is i = side - 1, edge 2 is j = 0, edge 3 is
// j = side - 1, point t of an edge at t along it; each hangs below the grid point it repeats.

#include <array>
#include <cstdint>
#include <vector>

namespace world::render {

struct PatchIndices {
    // Each cell (i, j) as two triangles cut along its (i, j)-(i + 1, j + 1) diagonal and wound
    // as the viewer's strips wind them: clockwise on screen when seen from their front.
    std::vector<std::uint32_t> ground;
    // By edge: two triangles for each step along it, joining it to its skirt; either winding.
    std::array<std::vector<std::uint32_t>, 4> skirts;
};

// Points in a patch of `side` grid points a side, skirts included.
std::uint32_t PatchPointCount(int side);

// Every triangle of a patch, or, given which grid points are present (side * side entries, 0
// for absent), only the triangles whose points are all present.
PatchIndices MakePatchIndices(int side, const std::vector<std::uint8_t>* present = nullptr);

}  // namespace world::render
