// velmora map on small worlds written sample by sample, so that each picture can be foretold:
// the world's one shading range, the side the light comes from, the grid, the empty places and
// which of two disagreeing neighbours draws their shared edge.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "terrain/heightmap_samples.h"
#include "terrain/shading_range.h"
#include "tools/png_picture.h"
#include "tools/velmora_process.h"

namespace {

namespace fs = std::filesystem;
using velmora_process::Outcome;
using velmora_process::RunVelmora;

constexpr int Side = 127;
constexpr int Stride = 126;

using SampleFunction = std::function<std::uint16_t(int r, int c)>;

// A prefix whose one world, "Test", holds the given sectors, each a function of (row, column).
class MapWorld {
public:
    explicit MapWorld(const std::map<std::string, SampleFunction>& sectors) {
        prefix_.WriteSystemReg(
            "WINE REGISTRY Version 2\n\n#arch=win64\n\n"
            "[Software\\\\Wow6432Node\\\\MolvaneStudios\\\\Quarlend] 1\n@=\"C:\\\\Q\"\n");
        for (const auto& [name, sample] : sectors) {
            std::string bytes(24, '\0');
            for (int r = 0; r < Side; ++r) {
                for (int c = 0; c < Side; ++c) {
                    const std::uint16_t value = sample(r, c);
                    bytes.push_back(static_cast<char>(value & 0xFF));
                    bytes.push_back(static_cast<char>(value >> 8));
                }
            }
            WriteFile(Terrain() / name / ("heightmap_" + name + ".zdt"), bytes);
        }
    }

    // Draws the map with the given options; fails the test when velmora does.
    Picture Map(const std::vector<std::string>& options) {
        const fs::path output = prefix_.path() / ("map" + std::to_string(++maps_) + ".png");
        std::vector<std::string> arguments = {"map", "Test", "--output", output.string()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const Outcome drawn = RunVelmora(prefix_.path(), arguments);
        EXPECT_EQ(drawn.exitCode, 0) << drawn.err;
        return DecodePng(output, SPNG_FMT_RGBA8);
    }

    // A heightmap cut short after its first sample: every sample 0.
    void AddShort(const std::string& name) {
        WriteFile(Terrain() / name / ("heightmap_" + name + ".zdt"), std::string(26, '\0'));
    }

    // Gives a sector's heightmap another spelling on disk.
    void Respell(const std::string& sector, const std::string& fileName) {
        fs::rename(Terrain() / sector / ("heightmap_" + sector + ".zdt"),
                   Terrain() / sector / fileName);
    }

private:
    fs::path Terrain() const {
        return prefix_.driveC() / "Q" / "world_cache" / "Testquarlend" / "terrain";
    }

    TemporaryPrefix prefix_;
    int maps_ = 0;
};

std::uint16_t Flat(int, int) {
    return 400;
}

TEST(VelmoraMapTest, HeightShadingUsesTheWholeWorldsRangeAndLeavesEmptyPlacesClear) {
    // 0_0 is missing. The world's least land sample (150) lies in 1_0 alone and its greatest
    // (1000) in 0_1 alone; 1_0 also holds water (50). Where two sectors share samples, the later
    // in (B, A) order draws them: 1_1 over 0_1 along x = 126, and over 1_0 along y = 126.
    MapWorld world(
        {{"1_0",
          [](int r, int c) -> std::uint16_t {
              if (r == 60 && c == 60) {
                  return 150;
              }
              return r == 10 && c == 10 ? 50 : (c == Stride ? 300 : 400);
          }},
         {"0_1",
          [](int r, int c) -> std::uint16_t {
              return r == 60 && c == 60 ? 1000 : (r == Stride ? 300 : 500);
          }},
         {"1_1", [](int r, int c) -> std::uint16_t { return r == 0 || c == 0 ? 700 : 600; }}});
    const Picture map = world.Map({});
    ASSERT_EQ(map.width, unsigned(2 * Stride + 1));
    ASSERT_EQ(map.height, unsigned(2 * Stride + 1));
    const ShadingRange range(150, 1000);
    const auto expectGrey = [&](std::uint32_t x, std::uint32_t y, std::uint16_t sample) {
        const std::uint8_t* pixel = map.Rgba(x, y);
        const std::uint8_t grey = range.Shade(sample);
        EXPECT_TRUE(pixel[0] == grey && pixel[1] == grey && pixel[2] == grey && pixel[3] == 255)
            << "(" << x << ", " << y << ") is " << int(pixel[0]) << "/" << int(pixel[3])
            << ", not the grey of " << sample << ": " << int(grey);
    };
    expectGrey(Stride + 60, 60, 150);  // black
    expectGrey(Stride + 10, 10, 50);   // water, white
    expectGrey(Stride + 30, 30, 400);
    expectGrey(60, Stride + 60, 1000);  // white
    expectGrey(30, Stride + 30, 500);
    expectGrey(Stride + 30, Stride + 30, 600);
    expectGrey(Stride, Stride + 30, 700);  // 1_1's edge, not 0_1's
    expectGrey(Stride + 30, Stride, 700);  // 1_1's edge, not 1_0's
    // The missing corner sector's place is clear, edge samples its neighbours hold are not.
    std::size_t opaque = 0;
    for (std::uint32_t y = 0; y < Stride; ++y) {
        for (std::uint32_t x = 0; x < Stride; ++x) {
            opaque += map.Rgba(x, y)[3] == 0 ? 0 : 1;
        }
    }
    EXPECT_EQ(opaque, 0u);
    EXPECT_EQ(map.Rgba(Stride, 0)[3], 255);
    EXPECT_EQ(map.Rgba(0, Stride)[3], 255);
}

// Windows finds a file whatever the case of its name, and so does velmora on the game's folders.
TEST(VelmoraMapTest, AHeightmapSpeltInAnotherCaseIsDrawn) {
    MapWorld world({{"0_0", Flat}, {"1_0", Flat}});
    world.Respell("1_0", "HEIGHTMAP_1_0.ZDT");
    const Picture map = world.Map({});
    EXPECT_EQ(map.Rgba(60, 60)[3], 255);
    EXPECT_EQ(map.Rgba(Stride + 60, 60)[3], 255);
}

// A world of thousands of sectors is looked at on several threads; each sector must still land
// at its own place, the one spelt otherwise included.
TEST(VelmoraMapTest, ThousandsOfSectorsEachLandAtTheirPlace) {
    const auto level = [](std::uint16_t sample) { return [sample](int, int) { return sample; }; };
    MapWorld world({{"0_0", level(400)}, {"40_50", level(300)}, {"64_63", level(200)}});
    for (int a = 0; a < 65; ++a) {
        for (int b = 0; b < 64; ++b) {
            const std::string name = std::to_string(a) + "_" + std::to_string(b);
            if (name != "0_0" && name != "40_50" && name != "64_63" && name != "5_5") {
                world.AddShort(name);
            }
        }
    }
    world.Respell("64_63", "HEIGHTMAP_64_63.ZDT");
    // A pixel a sector; the range runs from 200 (black) to 400 (white), and samples below it,
    // the short files' zeros, are white.
    const Picture map = world.Map({"--scale", std::to_string(Stride)});
    ASSERT_EQ(map.width, 66u);
    ASSERT_EQ(map.height, 65u);
    std::string wrong;
    for (std::uint32_t x = 0; x < 65; ++x) {
        for (std::uint32_t y = 0; y < 64; ++y) {
            const std::uint8_t* pixel = map.Rgba(x, y);
            const int grey = x == 40 && y == 50 ? 128 : (x == 64 && y == 63 ? 0 : 255);
            // The empty place still shows its neighbours' shared edges, faintly.
            const bool right =
                x == 5 && y == 5 ? pixel[3] < 8 : pixel[3] == 255 && std::abs(pixel[0] - grey) <= 4;
            if (!right) {
                wrong += " " + std::to_string(x) + "_" + std::to_string(y);
            }
        }
    }
    EXPECT_EQ(wrong, "");
}

TEST(VelmoraMapTest, HillshadeIsLitFromTheNorthWestAndBothMultipliesItWithTheHeight) {
    // Four slopes of one steepness, each facing one way, around a flat middle: x rises to the
    // east (a west face), falls to the east, y rises to the south (a north face), falls to the
    // south.
    MapWorld world({{"0_0", [](int r, int c) -> std::uint16_t {
                         if (r < 60 && c < 60) {
                             return static_cast<std::uint16_t>(400 + 8 * r);
                         }
                         if (r < 60 && c > 66) {
                             return static_cast<std::uint16_t>(900 - 8 * r);
                         }
                         if (r > 66 && c < 60) {
                             return static_cast<std::uint16_t>(400 + 8 * c);
                         }
                         if (r > 66 && c > 66) {
                             return static_cast<std::uint16_t>(1400 - 8 * c);
                         }
                         return Flat(r, c);
                     }}});
    const Picture hill = world.Map({"--shading", "hillshade"});
    ASSERT_EQ(hill.width, unsigned(Side));
    const auto grey = [](const Picture& map, std::uint32_t x, std::uint32_t y) {
        return int{map.Rgba(x, y)[0]};
    };
    const int flat = grey(hill, 63, 63);
    const int westFace = grey(hill, 30, 30);
    const int eastFace = grey(hill, 30, 96);
    const int northFace = grey(hill, 96, 30);
    const int southFace = grey(hill, 96, 96);
    EXPECT_EQ(flat, 180);  // light 45 degrees up: 255 sin 45
    EXPECT_GT(westFace, flat);
    EXPECT_LT(eastFace, flat);
    EXPECT_GT(northFace, flat);
    EXPECT_LT(southFace, flat);
    // The light comes from half-way between north and west.
    EXPECT_EQ(westFace, northFace);
    EXPECT_EQ(eastFace, southFace);

    const Picture height = world.Map({});
    const Picture both = world.Map({"--shading", "both"});
    ASSERT_EQ(height.width, unsigned(Side));
    ASSERT_EQ(both.width, unsigned(Side));
    for (const auto& [x, y] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{
             {63, 63}, {30, 30}, {30, 96}, {96, 30}, {96, 96}}) {
        EXPECT_EQ(grey(both, x, y), grey(height, x, y) * grey(hill, x, y) / 255) << x << ", " << y;
    }
}

TEST(VelmoraMapTest, GridLinesLieOnTheSectorBordersAtEveryScale) {
    MapWorld world({{"0_0", Flat}, {"1_0", Flat}, {"0_1", Flat}, {"1_1", Flat}});
    for (const std::uint32_t scale : {1u, 4u}) {
        const Picture map = world.Map({"--grid", "--scale", std::to_string(scale)});
        ASSERT_EQ(map.width, (2u * Stride + 1 + scale - 1) / scale);
        std::string wrong;
        for (std::uint32_t p = 0; p < map.width; ++p) {
            // A pixel is on a border when the samples it covers include a multiple of 126.
            const std::uint32_t last = p * scale + scale - 1;
            const bool border = last / Stride * Stride >= p * scale;
            const std::uint8_t* row = map.Rgba(p, 1);     // along x, off the top border
            const std::uint8_t* column = map.Rgba(1, p);  // along y, off the left border
            for (const std::uint8_t* pixel : {row, column}) {
                const bool red = pixel[0] == 255 && pixel[1] == 0 && pixel[2] == 0;
                if (red != border) {
                    wrong += " " + std::to_string(p);
                }
            }
        }
        EXPECT_EQ(wrong, "") << "scale " << scale << ": pixels wrongly on or off a border";
    }
}

}  // namespace
