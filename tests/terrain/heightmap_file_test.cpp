#include "terrain/heightmap_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/platform/wine/wine_prefix.h"
#include "terrain/terrain_mesh.h"

namespace {

namespace fs = std::filesystem;

// A throw-away Wine prefix whose C: drive holds the test files.
class HeightmapFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name = std::string("velmora-heightmap-") +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                                 "-" + std::to_string(::getpid());
        prefix_ = fs::temp_directory_path() / name;
        fs::remove_all(prefix_);
        fs::create_directories(prefix_ / "drive_c");
        fs::create_directories(prefix_ / "dosdevices");
        fs::create_directory_symlink("../drive_c", prefix_ / "dosdevices" / "c:");
        const char* previous = std::getenv("WINEPREFIX");
        if (previous != nullptr) {
            savedPrefix_ = previous;
        }
        ::setenv("WINEPREFIX", prefix_.c_str(), 1);
        wine::ResetPrefixSelection();
    }

    void TearDown() override {
        if (savedPrefix_) {
            ::setenv("WINEPREFIX", savedPrefix_->c_str(), 1);
        } else {
            ::unsetenv("WINEPREFIX");
        }
        wine::ResetPrefixSelection();
        fs::remove_all(prefix_);
    }

    // Writes `bytes` to C:\<name> and returns that Windows path.
    std::string WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        std::ofstream out(prefix_ / "drive_c" / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return "C:\\" + name;
    }

    fs::path prefix_;
    std::optional<std::string> savedPrefix_;
};

// A full heightmap file: `header` fill byte, then sample i = (i * 7 + 3) mod 65536.
std::vector<std::uint8_t> FullFile(std::uint8_t header = 0xEE) {
    std::vector<std::uint8_t> bytes(HeightmapHeaderSize, header);
    for (std::size_t i = 0; i < GridSampleCount; ++i) {
        const auto sample = static_cast<std::uint16_t>(i * 7 + 3);
        bytes.push_back(static_cast<std::uint8_t>(sample & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(sample >> 8));
    }
    return bytes;
}

std::uint16_t SampleAt(const std::vector<std::uint8_t>& file, std::size_t offset) {
    return static_cast<std::uint16_t>(file[offset] | (file[offset + 1] << 8));
}

std::vector<TerrainVertex> MeshOf(const HeightmapSamples& samples) {
    std::vector<TerrainVertex> mesh(TerrainVertexCount);
    BuildTerrainMesh(samples, mesh.data());
    return mesh;
}

bool SameMesh(const std::vector<TerrainVertex>& a, const std::vector<TerrainVertex>& b) {
    return std::memcmp(a.data(), b.data(), a.size() * sizeof(TerrainVertex)) == 0;
}

TEST_F(HeightmapFileTest, SamplesComeFromTheirFileOffsetsLittleEndian) {
    std::vector<std::uint8_t> file = FullFile();
    // Distinctive values at the offsets of vertices 0, 1, 127 and 16,128.
    const std::size_t offsets[] = {24, 24 + 254, 26, 32280};
    const std::uint16_t values[] = {0x1234, 0xBEEF, 0x0102, 0xFFFE};
    for (int i = 0; i < 4; ++i) {
        file[offsets[i]] = static_cast<std::uint8_t>(values[i] & 0xFF);
        file[offsets[i] + 1] = static_cast<std::uint8_t>(values[i] >> 8);
    }
    HeightmapSamples samples;
    ASSERT_TRUE(ReadHeightmap(WriteFile("h.zdt", file).c_str(), samples));
    for (std::size_t i = 0; i < GridSampleCount; ++i) {
        ASSERT_EQ(samples[i], SampleAt(file, 24 + 2 * i)) << i;
    }
    const std::vector<TerrainVertex> mesh = MeshOf(samples);
    const std::size_t vertices[] = {0, 1, 127, 16128};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(mesh[vertices[i]].z, values[i] * 0.25f) << "vertex " << vertices[i];
    }
}

TEST_F(HeightmapFileTest, HeaderAndTrailingBytesHaveNoEffect) {
    HeightmapSamples plain;
    ASSERT_TRUE(ReadHeightmap(WriteFile("plain.zdt", FullFile(0x00)).c_str(), plain));

    HeightmapSamples otherHeader;
    ASSERT_TRUE(ReadHeightmap(WriteFile("header.zdt", FullFile(0xFF)).c_str(), otherHeader));

    std::vector<std::uint8_t> longer = FullFile(0x00);
    longer.insert(longer.end(), 5000, 0x7F);
    HeightmapSamples trailing;
    ASSERT_TRUE(ReadHeightmap(WriteFile("trailing.zdt", longer).c_str(), trailing));

    EXPECT_EQ(plain, otherHeader);
    EXPECT_EQ(plain, trailing);
    EXPECT_TRUE(SameMesh(MeshOf(plain), MeshOf(otherHeader)));
    EXPECT_TRUE(SameMesh(MeshOf(plain), MeshOf(trailing)));
}

TEST_F(HeightmapFileTest, ShortFileLeavesTheMissingSamplesZero) {
    // Header bytes and a previous load's samples must not show through.
    std::vector<std::uint8_t> file(HeightmapHeaderSize, 0xFF);
    file.push_back(0x42);
    HeightmapSamples samples;
    samples.fill(0xAAAA);
    EXPECT_TRUE(ReadHeightmap(WriteFile("25.zdt", file).c_str(), samples));
    EXPECT_EQ(samples[0], 0x0042);
    for (std::size_t i = 1; i < GridSampleCount; ++i) {
        ASSERT_EQ(samples[i], 0) << i;
    }

    // Half a file: the first half from the file, the rest 0.
    std::vector<std::uint8_t> half = FullFile();
    const std::size_t delivered = 8000;
    half.resize(HeightmapHeaderSize + 2 * delivered + 1);  // and the low byte of one more
    samples.fill(0xAAAA);
    EXPECT_TRUE(ReadHeightmap(WriteFile("half.zdt", half).c_str(), samples));
    for (std::size_t i = 0; i < GridSampleCount; ++i) {
        const std::uint16_t expected = i < delivered    ? SampleAt(half, 24 + 2 * i)
                                       : i == delivered ? half[24 + 2 * i]
                                                        : 0;
        ASSERT_EQ(samples[i], expected) << i;
    }
}

TEST_F(HeightmapFileTest, NoSamplesMeansFalse) {
    HeightmapSamples samples;
    EXPECT_FALSE(
        ReadHeightmap(WriteFile("24.zdt", std::vector<std::uint8_t>(24, 1)).c_str(), samples));
    EXPECT_FALSE(
        ReadHeightmap(WriteFile("10.zdt", std::vector<std::uint8_t>(10, 1)).c_str(), samples));
    EXPECT_FALSE(ReadHeightmap(WriteFile("empty.zdt", {}).c_str(), samples));
    EXPECT_FALSE(ReadHeightmap("C:\\missing.zdt", samples));
    fs::create_directory(prefix_ / "drive_c" / "folder.zdt");
    EXPECT_FALSE(ReadHeightmap("C:\\folder.zdt", samples));
}

TEST_F(HeightmapFileTest, PathsResolveCaseInsensitively) {
    fs::create_directories(prefix_ / "drive_c" / "World" / "terrain" / "3_4");
    const std::vector<std::uint8_t> file = FullFile();
    WriteFile("World/terrain/3_4/heightmap_3_4.zdt", file);
    HeightmapSamples samples;
    ASSERT_TRUE(ReadHeightmap("c:\\world\\TERRAIN\\3_4\\Heightmap_3_4.zdt", samples));
    EXPECT_EQ(samples[5], SampleAt(file, 24 + 10));
}

}  // namespace
