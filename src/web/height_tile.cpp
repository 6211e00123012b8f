#include "web/height_tile.h"

#include <algorithm>

#include "terrain/grid_constants.h"
#include "web/data_file.h"
#include "world/sector_place.h"

namespace web {

namespace {

constexpr std::size_t CorePixels = std::size_t{TileSide} * TileSide;

std::size_t At(int u, int v) {
    return std::size_t(v) * TileSide + std::size_t(u);
}

}  // namespace

TileCore::TileCore() : height(CorePixels, 0), coverage(CorePixels, 0) {}

TileCore::TileCore(Unfilled) {
    height.reserve(CorePixels);
    coverage.reserve(CorePixels);
}

bool TileCore::Empty() const {
    return std::all_of(coverage.begin(), coverage.end(), [](std::uint8_t c) { return c == 0; });
}

void PaintSector(const TileKey& tile, const PaintedSector& sector, TileGridData& grid) {
    // Grid pixel (i, j) is world sample (X 504 - 1 + i, Y 504 - 1 + j).
    const std::int64_t firstX = tile.x * TileSide - 1;
    const std::int64_t firstY = tile.y * TileSide - 1;
    const std::int64_t sectorX = std::int64_t{sector.a} * world::SectorStride;
    const std::int64_t sectorY = std::int64_t{sector.b} * world::SectorStride;
    const std::int64_t r0 = std::max<std::int64_t>(0, firstX - sectorX);
    const std::int64_t r1 = std::min<std::int64_t>(GridSide, firstX + TileGrid - sectorX);
    const std::int64_t c0 = std::max<std::int64_t>(0, firstY - sectorY);
    const std::int64_t c1 = std::min<std::int64_t>(GridSide, firstY + TileGrid - sectorY);
    for (std::int64_t c = c0; c < c1; ++c) {
        const auto j = static_cast<std::size_t>(sectorY + c - firstY);
        for (std::int64_t r = r0; r < r1; ++r) {
            const std::size_t at = j * TileGrid + static_cast<std::size_t>(sectorX + r - firstX);
            grid.height[at] = sector.samples[std::size_t(r) * GridSide + std::size_t(c)];
            grid.coverage[at] = 255;
        }
    }
}

void PlaceChild(const TileCore* child, int k, TileCore& parent) {
    constexpr int Half = TileSide / 2;
    const int offsetU = (k % 2) * Half;
    const int offsetV = (k / 2) * Half;
    for (int v = 0; v < Half; ++v) {
        for (int u = 0; u < Half; ++u) {
            std::uint32_t weight = 0;
            std::uint64_t sum = 0;
            for (int d = 0; child != nullptr && d < 4; ++d) {
                const std::size_t below = At(2 * u + d % 2, 2 * v + d / 2);
                weight += child->coverage[below];
                sum += std::uint64_t{child->coverage[below]} * child->height[below];
            }
            const std::size_t at = At(offsetU + u, offsetV + v);
            parent.coverage[at] = static_cast<std::uint8_t>((weight + 2) / 4);
            parent.height[at] =
                weight == 0 ? 0 : static_cast<std::uint16_t>((sum + weight / 2) / weight);
        }
    }
}

TileCore ParentCore(const std::array<const TileCore*, 4>& children) {
    TileCore parent;
    for (int k = 0; k < 4; ++k) {
        if (children[static_cast<std::size_t>(k)] != nullptr) {
            PlaceChild(children[static_cast<std::size_t>(k)], k, parent);
        }
    }
    return parent;
}

void TileGridData::Clear() {
    height.assign(std::size_t{TileGrid} * TileGrid, 0);
    coverage.assign(std::size_t{TileGrid} * TileGrid, 0);
}

void PlaceInGrid(const std::array<const TileCore*, 9>& neighbours, std::bitset<9> keep,
                 TileGridData& grid) {
    for (int j = 0; j < TileGrid; ++j) {
        // Grid row j is pixel row v = j - 1 of the tile, which lies in neighbour row dy.
        const int v = j - 1;
        const int dy = v < 0 ? -1 : (v >= TileSide ? 1 : 0);
        const int inV = v - dy * TileSide;
        for (int i = 0; i < TileGrid; ++i) {
            const int u = i - 1;
            const int dx = u < 0 ? -1 : (u >= TileSide ? 1 : 0);
            const auto part = static_cast<std::size_t>((dy + 1) * 3 + dx + 1);
            if (keep[part]) {
                continue;
            }
            const TileCore* core = neighbours[part];
            const std::size_t to = std::size_t(j) * TileGrid + std::size_t(i);
            const std::size_t from = At(u - dx * TileSide, inV);
            grid.height[to] = core == nullptr ? 0 : core->height[from];
            grid.coverage[to] = core == nullptr ? 0 : core->coverage[from];
        }
    }
}

std::vector<std::uint8_t> GridPayload(const TileGridData& grid) {
    Payload payload;
    payload.bytes.reserve(TilePayloadBytes);
    payload.Heights(grid.height, TileGrid, TileGrid);
    payload.Bytes(grid.coverage);
    return std::move(payload.bytes);
}

bool GridFromPayload(std::span<const std::uint8_t> payload, TileGridData& grid) {
    if (payload.size() != TilePayloadBytes ||
        !ReadHeights(payload, 0, TileGrid, TileGrid, grid.height)) {
        return false;
    }
    const std::uint8_t* coverage = payload.data() + 2 * grid.height.size();
    grid.coverage.assign(coverage, coverage + grid.height.size());
    return true;
}

std::vector<std::uint8_t> TilePayload(const std::array<const TileCore*, 9>& neighbours) {
    TileGridData grid;
    grid.Clear();
    PlaceInGrid(neighbours, {}, grid);
    return GridPayload(grid);
}

bool CoreFromPayload(std::span<const std::uint8_t> payload, TileCore& core) {
    TileGridData grid;
    if (!GridFromPayload(payload, grid)) {
        return false;
    }
    core = CoreOfGrid(grid);
    return true;
}

TileCore CoreOfGrid(const TileGridData& grid) {
    TileCore core{TileCore::Unfilled{}};
    for (int v = 0; v < TileSide; ++v) {
        const auto row = static_cast<std::ptrdiff_t>(std::size_t(v + 1) * TileGrid + 1);
        core.height.insert(core.height.end(), grid.height.begin() + row,
                           grid.height.begin() + row + TileSide);
        core.coverage.insert(core.coverage.end(), grid.coverage.begin() + row,
                             grid.coverage.begin() + row + TileSide);
    }
    return core;
}

}  // namespace web
