#pragma once
// The height tiles of the map's pyramid (docs/WEB.md): a tile's own 504 x 504 pixels, each the
// mean height of the samples a sector holds in the pixel's box and the share of the box held,
// and the grid a data file stores, those pixels with a ring of their neighbours'.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "web/site_layout.h"

namespace web {

struct TileCore {
    // Pixel (u, v) at index v * TileSide + u.
    std::vector<std::uint16_t> height;
    std::vector<std::uint8_t> coverage;  // 0: no sample held, 255: all

    TileCore();
    bool Empty() const;
};

// A sector's samples to paint into level-0 cores: its place and its 127 x 127 samples (row r,
// column c at r * 127 + c; r along x).
struct PaintedSector {
    int a = 0;
    int b = 0;
    std::span<const std::uint16_t> samples;
};

// Paints a sector's samples over level-0 tile `tile`'s core where they fall in it. Sectors
// painted later win shared samples, so they go in (B, A) order.
void PaintSector(const TileKey& tile, const PaintedSector& sector, TileCore& core);

// The core of a tile of level Z + 1 from its four children at level Z (null: none there):
// children[0] at (2x, 2y), [1] at (2x + 1, 2y), [2] at (2x, 2y + 1), [3] at (2x + 1, 2y + 1).
// Each pixel is the coverage-weighted mean of the four below it, its coverage their mean.
TileCore ParentCore(const std::array<const TileCore*, 4>& children);

// The data file's payload of a tile: its core and the ring from its neighbours (null: none),
// neighbours[k] for (dx, dy) = ((k % 3) - 1, (k / 3) - 1), k = 4 being the tile itself.
std::vector<std::uint8_t> TilePayload(const std::array<const TileCore*, 9>& neighbours);
inline constexpr std::size_t TilePayloadBytes = std::size_t{TileGrid} * TileGrid * 3;

// The core of a tile from its payload; false when the payload is not one.
bool CoreFromPayload(std::span<const std::uint8_t> payload, TileCore& core);

}  // namespace web
