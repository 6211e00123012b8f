// The height tiles as docs/WEB.md gives them, worked out here on their own: a level-0 grid is
// the world's samples, ring and all, the later sector in (B, A) order giving shared ones; above,
// each pixel is the mean of the four below it weighted by their coverage, rounded, and each ring
// is the neighbours' pixels.

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>

#include "support/temporary_prefix.h"
#include "web/data_file.h"
#include "web/height_tile.h"
#include "web/tile_pyramid.h"
#include "world/world_files.h"
#include "world/world_model.h"

namespace {

std::size_t At(int u, int v) {
    return std::size_t(v) * web::TileSide + std::size_t(u);
}

TEST(HeightTileTest, AParentPixelIsTheCoverageWeightedMeanOfTheFourBelowRounded) {
    struct Case {
        const char* what;
        std::array<std::uint16_t, 4> height;
        std::array<std::uint8_t, 4> coverage;
        std::uint16_t mean;
        std::uint8_t covered;
    };
    const Case cases[] = {
        {"7 / 4 rounds up", {1, 2, 2, 2}, {255, 255, 255, 255}, 2, 255},
        {"5 / 4 rounds down", {1, 1, 1, 2}, {255, 255, 255, 255}, 1, 255},
        {"a half rounds up", {1, 2, 1, 2}, {255, 255, 255, 255}, 2, 255},
        {"500 / 3, coverage 3 / 4", {100, 200, 900, 7}, {1, 2, 0, 0}, 167, 1},
        {"a sliver counts for its share", {0, 1000, 0, 0}, {255, 1, 0, 0}, 4, 64},
        {"coverage 511 / 4", {10, 10, 10, 10}, {255, 255, 0, 1}, 10, 128},
        {"nothing covered", {500, 500, 500, 500}, {0, 0, 0, 0}, 0, 0},
        {"the highest", {65535, 65535, 65535, 65535}, {255, 255, 255, 255}, 65535, 255},
    };
    int k = 0;
    for (const Case& c : cases) {
        // Each case in another child, at another place of it.
        std::array<web::TileCore, 4> children;
        const int u = 37 * k % 252;
        const int v = 101 * k % 252;
        for (int d = 0; d < 4; ++d) {
            children[std::size_t(k % 4)].height[At(2 * u + d % 2, 2 * v + d / 2)] = c.height[d];
            children[std::size_t(k % 4)].coverage[At(2 * u + d % 2, 2 * v + d / 2)] = c.coverage[d];
        }
        const web::TileCore parent =
            web::ParentCore({&children[0], &children[1], &children[2], &children[3]});
        const std::size_t at = At(k % 2 * 252 + u, k % 4 / 2 * 252 + v);
        EXPECT_EQ(parent.height[at], c.mean) << c.what;
        EXPECT_EQ(parent.coverage[at], c.covered) << c.what;
        ++k;
    }
}

// Nine by nine sectors (three tiles a side at level 0) whose shared edges disagree, one missing,
// built keeping no tile in memory: every child and neighbour is read back from its file.
TEST(TilePyramidTest, EachLevelComesFromTheOneBelowAndEachRingFromTheNeighbours) {
    TemporaryDirectory folder;
    const auto sample = [](int a, int b, std::int64_t x, std::int64_t y) {
        return static_cast<std::uint16_t>(1000 + (a * 3 + b * 5) % 7 * 100 + x * 7 % 301 +
                                          y * 13 % 277);
    };
    const auto held = [](int a, int b) { return a < 9 && b < 9 && !(a == 4 && b == 3); };
    std::vector<world::SectorSource> sources;
    for (int a = 0; a < 9; ++a) {
        for (int b = 0; b < 9; ++b) {
            if (held(a, b)) {
                sources.push_back(world_test::WriteSector(
                    folder.path() / "terrain", std::to_string(a) + "_" + std::to_string(b),
                    [&, a, b](int r, int c) { return sample(a, b, 126 * a + r, 126 * b + c); }));
            }
        }
    }
    const world::WorldModel model(sources, {});
    std::filesystem::create_directories(folder.path() / "site");
    web::SiteFiles files(folder.path() / "site");
    web::TilePyramid pyramid(files, "w", {}, 1, 0);
    pyramid.TouchAll(model);
    pyramid.Build(model, [](std::size_t) {});

    ASSERT_EQ(pyramid.Tiles().size(), 3u);
    EXPECT_EQ(pyramid.Tiles()[0].size(), 9u);
    std::map<web::TileKey, web::TileCore> cores;  // of the level below, then of this one
    for (const auto& level : pyramid.Tiles()) {
        std::map<web::TileKey, web::TileCore> expected;
        for (const auto& [key, version] : level) {
            if (key.level == 0) {
                continue;  // its pixels are the samples themselves
            }
            std::array<const web::TileCore*, 4> children{};
            for (int c = 0; c < 4; ++c) {
                const auto child =
                    cores.find({key.level - 1, key.x * 2 + c % 2, key.y * 2 + c / 2});
                children[std::size_t(c)] = child == cores.end() ? nullptr : &child->second;
            }
            expected[key] = web::ParentCore(children);
        }
        // The pixel (u, v) of tile (x, y) of this level, u and v from -1 to 504: height, coverage.
        const auto pixel = [&](const web::TileKey& key, int u, int v) -> std::pair<int, int> {
            const std::int64_t x = key.x * web::TileSide + u;
            const std::int64_t y = key.y * web::TileSide + v;
            if (key.level == 0) {
                for (std::int64_t b = y / 126; b >= 0 && b >= (y - 126 + 125) / 126; --b) {
                    for (std::int64_t a = x / 126; a >= 0 && a >= (x - 126 + 125) / 126; --a) {
                        if (x >= 0 && y >= 0 && held(int(a), int(b))) {  // (-1) / 126 is 0
                            return {sample(int(a), int(b), x, y), 255};
                        }
                    }
                }
                return {0, 0};
            }
            const web::TileKey at{key.level, (x + web::TileSide) / web::TileSide - 1,
                                  (y + web::TileSide) / web::TileSide - 1};
            const auto found = expected.find(at);
            const std::size_t i = At(int(x - at.x * web::TileSide), int(y - at.y * web::TileSide));
            return found == expected.end()
                       ? std::pair{0, 0}
                       : std::pair{int(found->second.height[i]), int(found->second.coverage[i])};
        };
        cores.clear();
        for (const auto& [key, version] : level) {
            const std::string name = web::WorldFileKey("w", web::TileFileKey(key));
            std::vector<std::uint8_t> payload;
            web::TileGridData grid;
            ASSERT_TRUE(web::ReadDataFile(*files.Read(web::DataFilePath(name, version)), name,
                                          web::TilePayloadBytes, payload) &&
                        web::GridFromPayload(payload, grid));
            int wrong = 0;
            for (int j = 0; j < web::TileGrid; ++j) {
                for (int i = 0; i < web::TileGrid; ++i) {
                    const std::size_t g = std::size_t(j) * web::TileGrid + std::size_t(i);
                    wrong += pixel(key, i - 1, j - 1) !=
                             std::pair{int(grid.height[g]), int(grid.coverage[g])};
                }
            }
            EXPECT_EQ(wrong, 0) << name;
            cores[key] = web::CoreOfGrid(grid);
        }
    }
}

}  // namespace
