#pragma once
// The height tiles of the map's pyramid (docs/WEB.md): a tile's own 504 x 504 pixels, each the
// mean height of the samples a sector holds in the pixel's box and the share of the box held,
// and the grid a data file stores, those pixels with a ring of their neighbours'.

#include <array>
#include <bitset>
#include <cstdint>
#include <span>
#include <vector>

#include "web/site_layout.h"

namespace web {

struct TileCore {
    // Pixel (u, v) at index v * TileSide + u.
    std::vector<std::uint16_t> height;
    std::vector<std::uint8_t> coverage;  // 0: no sample held, 255: all

    // No ground anywhere.
    TileCore();
    bool Empty() const;

    // Nothing yet, to be filled row by row (no pixel written twice).
    struct Unfilled {};
    explicit TileCore(Unfilled);
};

// A sector's samples to paint into level-0 grids: its place and its 127 x 127 samples (row r,
// column c at r * 127 + c; r along x).
struct PaintedSector {
    int a = 0;
    int b = 0;
    std::span<const std::uint16_t> samples;
};

// The core of a tile of level Z + 1 from its four children at level Z (null: none there):
// children[0] at (2x, 2y), [1] at (2x + 1, 2y), [2] at (2x, 2y + 1), [3] at (2x + 1, 2y + 1).
// Each pixel is the coverage-weighted mean of the four below it, its coverage their mean.
TileCore ParentCore(const std::array<const TileCore*, 4>& children);
// The same for one quarter of the parent, from child k (null: none there).
void PlaceChild(const TileCore* child, int k, TileCore& parent);

// The grid a tile's data file stores: its core and a ring of its neighbours' pixels, index
// j * TileGrid + i for pixel (i - 1, j - 1) of the tile.
struct TileGridData {
    std::vector<std::uint16_t> height;
    std::vector<std::uint8_t> coverage;

    // Empty, for GridFromPayload to fill; Clear() makes it a grid of no ground.
    void Clear();
};

// Paints a sector's samples over level-0 tile `tile`'s grid, its ring included, where they fall
// in it: a level-0 tile's file needs the sectors that reach into it, never a neighbour's core.
// Sectors painted later win shared samples, so they go in (B, A) order.
void PaintSector(const TileKey& tile, const PaintedSector& sector, TileGridData& grid);

// Places the tile's core and its neighbours' pixels in its grid: neighbours[k] for (dx, dy) =
// ((k % 3) - 1, (k / 3) - 1), k = 4 being the tile itself; nullptr for none there (an empty
// ring); the parts `keep` marks are left as the grid holds them.
void PlaceInGrid(const std::array<const TileCore*, 9>& neighbours, std::bitset<9> keep,
                 TileGridData& grid);

// The data file's payload of a grid, and the grid of a payload (false when it is not one).
std::vector<std::uint8_t> GridPayload(const TileGridData& grid);
bool GridFromPayload(std::span<const std::uint8_t> payload, TileGridData& grid);
inline constexpr std::size_t TilePayloadBytes = std::size_t{TileGrid} * TileGrid * 3;

// The payload of a tile from its core and its neighbours (nullptr: none).
std::vector<std::uint8_t> TilePayload(const std::array<const TileCore*, 9>& neighbours);

// The core of a tile from its payload; false when the payload is not one.
bool CoreFromPayload(std::span<const std::uint8_t> payload, TileCore& core);
// The core a grid holds.
TileCore CoreOfGrid(const TileGridData& grid);

}  // namespace web
