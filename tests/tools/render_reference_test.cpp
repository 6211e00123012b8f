// velmora render against an independent software rendering of the same frame, on the demo world.

#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/reference_render.h"
#include "tools/velmora_process.h"

namespace {

namespace fs = std::filesystem;

std::optional<reference::Image> LoadImage(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width,
                                            &height, &channels, 4);
    if (pixels == nullptr) {
        return std::nullopt;
    }
    reference::Image image{
        width, height, std::vector<std::uint8_t>(pixels, pixels + std::size_t(width) * height * 4)};
    stbi_image_free(pixels);
    return image;
}

std::vector<std::uint16_t> ReadSamples(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::uint16_t> samples(127 * 127);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = std::uint16_t(std::uint8_t(bytes[24 + 2 * i]) |
                                   std::uint8_t(bytes[24 + 2 * i + 1]) << 8);
    }
    return samples;
}

struct Comparison {
    std::size_t differing = 0;  // pixels whose channels differ by more than the tolerance
    std::size_t terrain = 0;    // reference pixels that are not the clear colour
    std::size_t total = 0;
};

Comparison Compare(const reference::Image& actual, const reference::Image& expected,
                   int tolerance) {
    Comparison result;
    result.total = std::size_t(expected.width) * expected.height;
    for (std::size_t p = 0; p < result.total; ++p) {
        const std::uint8_t* a = &actual.rgba[p * 4];
        const std::uint8_t* e = &expected.rgba[p * 4];
        if (!(e[0] == 0 && e[1] == 0 && e[2] == 255)) {
            ++result.terrain;
        }
        for (int ch = 0; ch < 3; ++ch) {
            if (std::abs(int(a[ch]) - int(e[ch])) > tolerance) {
                ++result.differing;
                break;
            }
        }
    }
    return result;
}

class RenderReferenceTest : public velmora_process::DemoPrefixSuite {
protected:
    // Runs velmora render in workingDirectory and loads the PNG it wrote.
    std::optional<reference::Image> RenderWithVelmora(const std::string& sector,
                                                      const fs::path& workingDirectory,
                                                      std::vector<std::string> options = {}) {
        const fs::path output = Scratch() / ("frame-" + sector + ".png");
        std::vector<std::string> arguments = {"render", "East", sector, "--output",
                                              output.string()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const velmora_process::Outcome outcome =
            velmora_process::RunVelmora(Prefix(), arguments, workingDirectory);
        EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
        return LoadImage(output);
    }

    static fs::path Heightmap(const std::string& sector) {
        return WorldCache() / "Eastquarlend" / "terrain" / sector /
               ("heightmap_" + sector + ".zdt");
    }
};

TEST_F(RenderReferenceTest, TexturedFrameMatchesTheReference) {
    const auto frame = RenderWithVelmora("1_2", Prefix());
    ASSERT_TRUE(frame.has_value());
    ASSERT_EQ(frame->width, 800);
    ASSERT_EQ(frame->height, 800);
    const auto texture = LoadImage(Prefix() / "terrain.image");
    ASSERT_TRUE(texture.has_value());
    const reference::Image expected =
        reference::Render(ReadSamples(Heightmap("1_2")), {}, 800, 800, texture);

    const Comparison result = Compare(*frame, expected, 4);
    // The terrain fills the middle of the frame, the clear colour is around it.
    EXPECT_GT(result.terrain, result.total / 10);
    EXPECT_LT(result.terrain, result.total * 9 / 10);
    // Rasterisation rules and filtering precision may differ along a few edges only.
    EXPECT_LT(result.differing, result.total / 1000) << result.differing << " pixels differ";
    const std::uint8_t* corner = &frame->rgba[0];
    EXPECT_EQ(corner[0], 0);
    EXPECT_EQ(corner[1], 0);
    EXPECT_EQ(corner[2], 255);
}

TEST_F(RenderReferenceTest, WithoutTheTextureTheSameTerrainIsPlainGrey) {
    TemporaryDirectory elsewhere;
    const auto frame = RenderWithVelmora("2_1", elsewhere.path());
    ASSERT_TRUE(frame.has_value());
    const reference::Image expected =
        reference::Render(ReadSamples(Heightmap("2_1")), {}, 800, 800, std::nullopt);
    const Comparison result = Compare(*frame, expected, 2);
    EXPECT_GT(result.terrain, result.total / 10);
    EXPECT_LT(result.differing, result.total / 1000) << result.differing << " pixels differ";
    for (std::size_t p = 0; p < frame->rgba.size(); p += 4) {
        const std::uint8_t* pixel = &frame->rgba[p];
        const bool clear = pixel[0] == 0 && pixel[1] == 0 && pixel[2] == 255;
        ASSERT_TRUE(clear || (pixel[0] == pixel[1] && pixel[1] == pixel[2])) << p / 4;
    }
}

TEST_F(RenderReferenceTest, ChosenCameraAndSizeMatchTheReference) {
    const reference::Camera camera{300.0f, 900.0f, 2600.0f, 0.6f, 2.7f};
    const auto frame = RenderWithVelmora("0_0", Prefix(),
                                         {"--size", "320x240", "--camera", "300,900,2600,0.6,2.7"});
    ASSERT_TRUE(frame.has_value());
    ASSERT_EQ(frame->width, 320);
    ASSERT_EQ(frame->height, 240);
    const auto texture = LoadImage(Prefix() / "terrain.image");
    const reference::Image expected =
        reference::Render(ReadSamples(Heightmap("0_0")), camera, 320, 240, texture);
    const Comparison result = Compare(*frame, expected, 4);
    EXPECT_GT(result.terrain, result.total / 20);
    EXPECT_LT(result.differing, result.total / 200) << result.differing << " pixels differ";
}

}  // namespace
