// velmora render against an independent software rendering of the same frame, on the demo world.

#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/temporary_prefix.h"
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

TEST(VelmoraMapOrientationTest, MapLaysASectorOutAsRenderShowsItAtTheStartCamera) {
    // One sector, low ground with one raised block at rows 0 to 39 and columns 0 to 79: white in
    // both pictures (the top of the range), the rest black. Rows run across, columns down.
    TemporaryDirectory directory;
    const fs::path prefix = directory.path() / "prefix";
    BuildPrefix(prefix);
    WriteFile(prefix / "system.reg", demo::DemoSystemReg());
    std::string file(24, '\0');
    for (int r = 0; r < 127; ++r) {
        for (int c = 0; c < 127; ++c) {
            const int sample = r < 40 && c < 80 ? 400 : 150;
            file += static_cast<char>(sample & 0xFF);
            file += static_cast<char>(sample >> 8);
        }
    }
    WriteFile(prefix / "drive_c" / "Games" / "Quarlend" / "world_cache" / "Cornerquarlend" /
                  "terrain" / "0_0" / "heightmap_0_0.zdt",
              file);

    const fs::path map = directory.path() / "map.png";
    const fs::path frame = directory.path() / "frame.png";
    ASSERT_EQ(velmora_process::RunVelmora(prefix, {"map", "Corner", "--output", map.string()},
                                          directory.path())
                  .exitCode,
              0);
    ASSERT_EQ(velmora_process::RunVelmora(
                  prefix, {"render", "Corner", "0_0", "--output", frame.string()}, directory.path())
                  .exitCode,
              0);
    const auto mapImage = LoadImage(map);
    const auto frameImage = LoadImage(frame);
    ASSERT_TRUE(mapImage && frameImage);

    // Brightness at a fraction of the terrain's extent across and down: the map is all terrain;
    // in the frame, the terrain is what is not the clear colour.
    const auto bright = [](const reference::Image& image, double across, double down) {
        int left = image.width, right = -1, top = image.height, bottom = -1;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const std::uint8_t* p = &image.rgba[(std::size_t(y) * image.width + x) * 4];
                if (!(p[0] == 0 && p[1] == 0 && p[2] == 255)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        }
        const int x = left + static_cast<int>(across * (right - left));
        const int y = top + static_cast<int>(down * (bottom - top));
        return image.rgba[(std::size_t(y) * image.width + x) * 4] > 200;
    };
    for (const reference::Image* image : {&*mapImage, &*frameImage}) {
        EXPECT_TRUE(bright(*image, 0.15, 0.15));
        EXPECT_TRUE(bright(*image, 0.15, 0.5));
        EXPECT_FALSE(bright(*image, 0.5, 0.15));
        EXPECT_FALSE(bright(*image, 0.15, 0.85));
        EXPECT_FALSE(bright(*image, 0.85, 0.85));
    }
}

}  // namespace
