// The stored form of a height grid, as docs/WEB.md gives it and the page decodes it: each point
// less its prediction (left + up - up-left; first row: left; first column: up; first point: 0),
// modulo 65536, all the low bytes and then all the high bytes. Worked out by hand, since a
// writer and reader that share one mistake still agree with each other.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "web/data_file.h"
#include "web/height_tile.h"
#include "web/site_layout.h"

namespace {

struct StoredGrid {
    const char* grid;
    int width;
    int height;
    std::vector<std::uint16_t> values;
    std::vector<std::uint8_t> stored;  // low plane, then high plane
};

TEST(HeightGridTest, AGridIsStoredAsItsResidualsInTwoPlanesAndReadBack) {
    const StoredGrid grids[] = {
        // Residuals 10, 3, -2; 10, 2, -23; -20, 2, 22 (3 less 7 + 65535 - 25, wrapped).
        {"3 x 3, wrapping both ways",
         3,
         3,
         {10, 13, 11, 20, 25, 65535, 0, 7, 3},
         {10, 3, 254, 10, 2, 232, 236, 2, 22, 0, 0, 255, 0, 0, 255, 255, 0, 0}},
        // A flat row and a ramp below it: the first point, then nothing but the ramp's step.
        {"4 wide, 2 high",
         4,
         2,
         {500, 500, 500, 500, 500, 501, 502, 503},
         {244, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const StoredGrid& grid : grids) {
        web::Payload payload;
        payload.U8(99);  // what comes before the grid
        payload.Heights(grid.values, grid.width, grid.height);
        const std::vector<std::uint8_t> stored(payload.bytes.begin() + 1, payload.bytes.end());
        EXPECT_EQ(stored, grid.stored) << grid.grid;
        std::vector<std::uint16_t> read;
        ASSERT_TRUE(web::ReadHeights(payload.bytes, 1, grid.width, grid.height, read)) << grid.grid;
        EXPECT_EQ(read, grid.values) << grid.grid;
        EXPECT_FALSE(web::ReadHeights(payload.bytes, 2, grid.width, grid.height, read))
            << grid.grid << ": one byte short";
    }
}

// A tile's data file stores its grid so: a tile rising by one a pixel along x, alone, keeps its
// first pixel's height, a step of one along its first row, and nothing inside beyond them.
TEST(HeightGridTest, ATilesPayloadPredictsItsRampToNothing) {
    web::TileCore core;
    for (int v = 0; v < web::TileSide; ++v) {
        for (int u = 0; u < web::TileSide; ++u) {
            const std::size_t at = std::size_t(v) * web::TileSide + std::size_t(u);
            core.height[at] = static_cast<std::uint16_t>(1000 + u);
            core.coverage[at] = 255;
        }
    }
    std::array<const web::TileCore*, 9> neighbours{};
    neighbours[4] = &core;
    const std::vector<std::uint8_t> payload = web::TilePayload(neighbours);
    ASSERT_EQ(payload.size(), web::TilePayloadBytes);
    constexpr std::size_t Points = std::size_t{web::TileGrid} * web::TileGrid;
    const auto residual = [&payload](int i, int j) {
        const std::size_t at = std::size_t(j) * web::TileGrid + std::size_t(i);
        return payload[at] | (payload[Points + at] << 8);
    };
    EXPECT_EQ(residual(0, 0), 0);  // the empty ring
    EXPECT_EQ(residual(1, 1), 1000);
    int inside = 0;
    for (int j = 1; j <= web::TileSide; ++j) {
        for (int i = 1; i <= web::TileSide; ++i) {
            const int expected = j == 1 && i > 1 ? 1 : 0;
            inside += (i > 1 || j > 1) && residual(i, j) != expected;
        }
    }
    EXPECT_EQ(inside, 0) << "points of the core not as predicted";
    EXPECT_EQ(payload[2 * Points + web::TileGrid + 1], 255) << "the core's coverage";
}

}  // namespace
