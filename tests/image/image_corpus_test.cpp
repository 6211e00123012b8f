// The fuzz targets' seed files must all decode, and every input that once broke the loader
// (tests/fuzz/regressions/texture) must be refused: quickly, with nothing left behind.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "image/image_file.h"

namespace {

using namespace image;

namespace fs = std::filesystem;

const fs::path FuzzFolder = VELMORA_FUZZ_DIR;

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<fs::path> FilesUnder(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    return files;
}

TEST(ImageCorpus, EverySeedDecodesToAFullChain) {
    std::size_t seeds = 0;
    for (const char* format : {"png", "jpeg", "bmp", "tga", "pnm", "hdr", "dds"}) {
        for (const fs::path& path : FilesUnder(FuzzFolder / "seeds" / format)) {
            ++seeds;
            TextureImage image;
            ASSERT_EQ(DecodeTextureImage(ReadBytes(path), image), ImageStatus::Ok) << path;
            ASSERT_FALSE(image.levels.empty());
            EXPECT_EQ(image.levels.back().width, 1u) << path;
            EXPECT_EQ(image.levels.back().height, 1u) << path;
        }
    }
    EXPECT_GE(seeds, 14u);
}

TEST(ImageCorpus, EveryRegressionInputIsRefused) {
    const std::vector<fs::path> files = FilesUnder(FuzzFolder / "regressions" / "texture");
    ASSERT_GE(files.size(), 15u);
    for (const fs::path& path : files) {
        TextureImage image;
        EXPECT_NE(DecodeTextureImage(ReadBytes(path), image), ImageStatus::Ok) << path;
        EXPECT_TRUE(image.levels.empty()) << path;
    }
}

}  // namespace
