#include "demo/demo_world.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include <unistd.h>

#include "app/platform/win32/registry.h"
#include "app/platform/wine/wine_prefix.h"
#include "image/image_file.h"
#include "terrain/heightmap_file.h"

namespace {

using namespace image;

namespace fs = std::filesystem;

constexpr int Side = 127;

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint16_t At(const std::vector<std::uint16_t>& samples, int r, int c) {
    return samples[static_cast<std::size_t>(r) * Side + static_cast<std::size_t>(c)];
}

// Two demo prefixes written one after the other, and WINEPREFIX pointing at the first.
class DemoWorldTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = new fs::path(fs::temp_directory_path() /
                             ("velmora-demo-" + std::to_string(::getpid())));
        fs::remove_all(*root_);
        const auto start = std::chrono::steady_clock::now();
        demo::WriteDemoPrefix(*root_ / "first");
        firstSeconds_ =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        demo::WriteDemoPrefix(*root_ / "second");
        demo::WriteDemoPrefix(*root_ / "second");  // writing over an existing prefix works too
    }

    static void TearDownTestSuite() {
        fs::remove_all(*root_);
        delete root_;
        root_ = nullptr;
    }

    static fs::path Sector(const fs::path& prefix, std::string_view world, int x, int y) {
        const std::string name = std::to_string(x) + "_" + std::to_string(y);
        return prefix / "drive_c" / "Games" / "Quarlend" / "world_cache" / std::string(world) /
               "terrain" / name / ("heightmap_" + name + ".zdt");
    }

    static inline fs::path* root_ = nullptr;
    static inline double firstSeconds_ = 0.0;
};

TEST_F(DemoWorldTest, WritesEveryFileWithTheSameBytesOnEveryRun) {
    const fs::path first = *root_ / "first";
    const fs::path second = *root_ / "second";
    std::vector<fs::path> files = {"system.reg", "terrain.image"};
    for (const demo::DemoWorld& world : demo::DemoWorlds) {
        for (int x = 0; x < world.sectorsX; ++x) {
            for (int y = 0; y < world.sectorsY; ++y) {
                files.push_back(fs::relative(Sector(first, world.name, x, y), first));
            }
        }
    }
    EXPECT_EQ(files.size(), 2u + 16u + 144u + 9u);
    for (const fs::path& file : files) {
        const std::vector<std::uint8_t> bytes = ReadAll(first / file);
        EXPECT_FALSE(bytes.empty()) << file;
        EXPECT_EQ(bytes, ReadAll(second / file)) << file;
    }
    // Nothing beyond the two worlds' sectors.
    const fs::path east = first / "drive_c/Games/Quarlend/world_cache/Eastquarlend/terrain";
    EXPECT_EQ(std::distance(fs::directory_iterator(east), fs::directory_iterator()), 16);
    EXPECT_FALSE(fs::exists(Sector(first, "Eastquarlend", 4, 0)));
    EXPECT_FALSE(fs::exists(Sector(first, "Westquarlend", 3, 0)));

    EXPECT_TRUE(fs::is_symlink(first / "dosdevices" / "c:"));
    EXPECT_EQ(fs::read_symlink(first / "dosdevices" / "c:"), fs::path("../drive_c"));
    EXPECT_LT(firstSeconds_, 5.0);  // well under a second in an optimised build
}

TEST_F(DemoWorldTest, HeightmapsHaveTheFileLayoutAndTheirSectorsSamples) {
    for (const demo::DemoWorld& world : demo::DemoWorlds) {
        const std::vector<std::uint8_t> file = ReadAll(Sector(*root_ / "first", world.name, 1, 2));
        ASSERT_EQ(file.size(), 24u + 2u * Side * Side);
        EXPECT_EQ(file, demo::DemoHeightmapFile(world, 1, 2));
        const std::vector<std::uint16_t> samples = demo::DemoSectorSamples(world, 1, 2);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            ASSERT_EQ(samples[i], file[24 + 2 * i] | (file[25 + 2 * i] << 8)) << i;
        }
    }
}

TEST_F(DemoWorldTest, NeighbouringSectorsShareTheirEdges) {
    const demo::DemoWorld& east = demo::DemoWorlds[0];
    const std::vector<std::uint16_t> here = demo::DemoSectorSamples(east, 1, 1);
    const std::vector<std::uint16_t> nextX = demo::DemoSectorSamples(east, 2, 1);
    const std::vector<std::uint16_t> nextY = demo::DemoSectorSamples(east, 1, 2);
    for (int i = 0; i < Side; ++i) {
        // Last row of x_y is the first row of (x+1)_y; last column the first column of x_(y+1).
        ASSERT_EQ(At(here, 126, i), At(nextX, 0, i)) << i;
        ASSERT_EQ(At(here, i, 126), At(nextY, i, 0)) << i;
    }
    // And the ground joins smoothly: steps between neighbours across the edge are no larger
    // than within a sector.
    int largestInside = 0;
    int largestAcross = 0;
    for (int i = 0; i < Side; ++i) {
        largestInside = std::max(largestInside, std::abs(At(here, 125, i) - At(here, 124, i)));
        largestAcross = std::max(largestAcross, std::abs(At(nextX, 1, i) - At(here, 125, i)) / 2);
    }
    EXPECT_LE(largestAcross, std::max(4 * largestInside, 400));
}

TEST_F(DemoWorldTest, HeightsAreRollingHillsAroundWater) {
    for (const demo::DemoWorld& world : demo::DemoWorlds) {
        int highest = 0;
        int water = 0;
        int total = 0;
        for (int x = 0; x < world.sectorsX; ++x) {
            for (int y = 0; y < world.sectorsY; ++y) {
                const std::vector<std::uint8_t> file =
                    ReadAll(Sector(*root_ / "first", world.name, x, y));
                for (std::size_t i = 24; i + 1 < file.size(); i += 2) {
                    const int sample = file[i] | (file[i + 1] << 8);
                    highest = std::max(highest, sample);
                    water += sample <= 100 ? 1 : 0;
                    ++total;
                }
            }
        }
        // Relief of a few hundred units (a sample is a quarter of a unit), well below the
        // camera's start height, and a river or lake of samples of 100 or less, shown white.
        EXPECT_GE(highest, 1000) << world.name;
        EXPECT_LE(highest, 2400) << world.name;
        EXPECT_GT(water, total / 200) << world.name;
        EXPECT_LT(water, total / 5) << world.name;
    }
    // The two worlds are different terrain.
    EXPECT_NE(demo::DemoSectorSamples(demo::DemoWorlds[0], 0, 0),
              demo::DemoSectorSamples(demo::DemoWorlds[1], 0, 0));
}

TEST_F(DemoWorldTest, ThePrefixServesTheInstallRootTheHeightmapsAndTheTexture) {
    const char* previous = std::getenv("WINEPREFIX");
    const std::optional<std::string> saved =
        previous ? std::optional<std::string>(previous) : std::nullopt;
    ::setenv("WINEPREFIX", (*root_ / "first").c_str(), 1);
    wine::ResetPrefixSelection();

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\MolvaneStudios\\Quarlend", &key),
              ERROR_SUCCESS);
    char name[512] = {};
    BYTE data[512] = {};
    DWORD nameChars = sizeof name;
    DWORD dataBytes = sizeof data;
    DWORD type = 0;
    ASSERT_EQ(RegEnumValueA(key, 0, name, &nameChars, nullptr, &type, data, &dataBytes),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(type, REG_SZ);
    EXPECT_STREQ(reinterpret_cast<const char*>(data), "C:\\Games\\Quarlend");
    RegCloseKey(key);

    HeightmapSamples samples;
    ASSERT_TRUE(ReadHeightmap(
        "C:\\Games\\Quarlend\\world_cache\\Westquarlend\\terrain\\2_1\\heightmap_2_1.zdt",
        samples));
    const demo::DemoWorld& west = demo::DemoWorlds[2];
    ASSERT_EQ(west.name, "Westquarlend");
    const std::vector<std::uint16_t> expected = demo::DemoSectorSamples(west, 2, 1);
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), expected.begin()));

    TextureImage texture;
    const std::vector<std::uint8_t> png = ReadAll(*root_ / "first" / "terrain.image");
    ASSERT_EQ(DecodeTextureImage(png, texture), ImageStatus::Ok);
    EXPECT_EQ(DetectImageFormat(png), ImageFormat::Png);
    ASSERT_FALSE(texture.levels.empty());
    EXPECT_EQ(texture.levels[0].width, 256u);
    EXPECT_EQ(texture.levels[0].height, 256u);
    EXPECT_FALSE(texture.hasAlpha);

    if (saved) {
        ::setenv("WINEPREFIX", saved->c_str(), 1);
    } else {
        ::unsetenv("WINEPREFIX");
    }
    wine::ResetPrefixSelection();
}

TEST_F(DemoWorldTest, TheGroundTextureTiles) {
    TextureImage texture;
    ASSERT_EQ(DecodeTextureImage(demo::DemoGroundTexturePng(), texture), ImageStatus::Ok);
    const std::vector<std::uint32_t>& texels = texture.levels[0].texels;
    const auto channelStep = [](std::uint32_t a, std::uint32_t b) {
        int largest = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            largest = std::max(largest, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                                 static_cast<int>((b >> shift) & 0xFF)));
        }
        return largest;
    };
    // Across the wrap (last column to first, last row to first) the colour changes no more
    // than between ordinary neighbours.
    int wrapStep = 0;
    int innerStep = 0;
    for (int i = 0; i < 256; ++i) {
        wrapStep = std::max(wrapStep, channelStep(texels[i * 256 + 255], texels[i * 256]));
        wrapStep = std::max(wrapStep, channelStep(texels[255 * 256 + i], texels[i]));
        innerStep = std::max(innerStep, channelStep(texels[i * 256 + 127], texels[i * 256 + 128]));
        innerStep = std::max(innerStep, channelStep(texels[127 * 256 + i], texels[128 * 256 + i]));
    }
    EXPECT_LE(wrapStep, innerStep + 8);
}

}  // namespace
