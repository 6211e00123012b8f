#include "image/dds_file.h"

#include <gtest/gtest.h>

#include "image/image_test_files.h"

namespace {

using namespace image;

using namespace image_test;

constexpr std::uint32_t Argb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// A DXT colour block: endpoints c0, c1 (5:6:5) and 16 two-bit indices, texel 0 lowest.
Bytes ColourBlock(std::uint16_t c0, std::uint16_t c1, const std::array<int, 16>& indices) {
    std::uint32_t bits = 0;
    for (int i = 0; i < 16; ++i) {
        bits |= static_cast<std::uint32_t>(indices[i]) << (2 * i);
    }
    Bytes block = {static_cast<std::uint8_t>(c0),
                   static_cast<std::uint8_t>(c0 >> 8),
                   static_cast<std::uint8_t>(c1),
                   static_cast<std::uint8_t>(c1 >> 8),
                   0,
                   0,
                   0,
                   0};
    PutLe32(block, 4, bits);
    return block;
}

const std::array<int, 16> Ramp = {0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3};
constexpr std::uint16_t Red565 = 0xF800;
constexpr std::uint16_t Blue565 = 0x001F;

TextureImage Decode(const Bytes& file, ImageStatus expected = ImageStatus::Ok) {
    TextureImage image;
    EXPECT_EQ(DecodeDdsFile(file, image), expected);
    return image;
}

TEST(DdsFile, Dxt1FourColourBlock) {
    const TextureImage image =
        Decode(Concat(DdsHeader(4, 4, 1, "DXT1"), ColourBlock(Red565, Blue565, Ramp)));
    ASSERT_EQ(image.levels.size(), 3u);  // 4x4, 2x2, 1x1 made from the one level
    const std::vector<std::uint32_t>& texels = image.levels[0].texels;
    EXPECT_EQ(texels[0], Argb(255, 255, 0, 0));
    EXPECT_EQ(texels[1], Argb(255, 0, 0, 255));
    EXPECT_EQ(texels[2], Argb(255, 170, 0, 85));  // 2/3 c0 + 1/3 c1
    EXPECT_EQ(texels[3], Argb(255, 85, 0, 170));
    EXPECT_EQ(texels[15], texels[3]);
}

TEST(DdsFile, Dxt1ThreeColourBlockHasTransparentBlack) {
    const TextureImage image =
        Decode(Concat(DdsHeader(4, 4, 1, "DXT1"), ColourBlock(Blue565, Red565, Ramp)));
    const std::vector<std::uint32_t>& texels = image.levels[0].texels;
    EXPECT_TRUE(image.hasAlpha);
    EXPECT_EQ(texels[2], Argb(255, 127, 0, 127));  // the mean of the endpoints
    EXPECT_EQ(texels[3], 0u);
}

TEST(DdsFile, Dxt3ExplicitAlpha) {
    Bytes alpha(8, 0);
    alpha[0] = 0x8F;  // texel 0: 15 -> 255, texel 1: 8 -> 136
    const TextureImage image = Decode(
        Concat(Concat(DdsHeader(4, 4, 1, "DXT3"), alpha), ColourBlock(Blue565, Red565, Ramp)));
    const std::vector<std::uint32_t>& texels = image.levels[0].texels;
    EXPECT_TRUE(image.hasAlpha);
    EXPECT_EQ(texels[0], Argb(255, 0, 0, 255));  // four colours in DXT3 whatever the order
    EXPECT_EQ(texels[1], Argb(136, 255, 0, 0));
    EXPECT_EQ(texels[2] >> 24, 0u);
}

TEST(DdsFile, Dxt5InterpolatedAlpha) {
    // Eight-value mode (a0 > a1): index 2 = (6 * 255 + 0) / 7. Six-value mode: 6 -> 0, 7 -> 255.
    Bytes eight = {255, 0, 0, 0, 0, 0, 0, 0};
    eight[2] = 0x02 | (0x07 << 3);  // texel 0 index 2, texel 1 index 7
    Bytes six = {0, 255, 0, 0, 0, 0, 0, 0};
    six[2] = 0x06 | (0x07 << 3);
    six[2] |= 0x02 << 6;  // texel 2 index 2 (two low bits here)
    const Bytes colour = ColourBlock(Red565, Blue565, {});
    const TextureImage first = Decode(Concat(Concat(DdsHeader(4, 4, 1, "DXT5"), eight), colour));
    EXPECT_EQ(first.levels[0].texels[0] >> 24, 218u);
    EXPECT_EQ(first.levels[0].texels[1] >> 24, 36u);  // (1 * 255 + 6 * 0) / 7
    const TextureImage second = Decode(Concat(Concat(DdsHeader(4, 4, 1, "DXT5"), six), colour));
    EXPECT_EQ(second.levels[0].texels[0] >> 24, 0u);
    EXPECT_EQ(second.levels[0].texels[1] >> 24, 255u);
    EXPECT_EQ(second.levels[0].texels[2] >> 24, 51u);  // (4 * 0 + 1 * 255) / 5
    EXPECT_EQ(second.levels[0].texels[2] & 0xFFFFFF, 0xFF0000u);
}

TEST(DdsFile, UncompressedWithChannelMasks) {
    // 32-bit A8R8G8B8 (bytes B, G, R, A) and 24-bit R8G8B8 (bytes B, G, R).
    const Bytes argb =
        Concat(DdsHeader(2, 1, 1, nullptr, 32, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}),
               {0x30, 0x20, 0x10, 0x80, 0x01, 0x02, 0x03, 0xFF});
    const TextureImage withAlpha = Decode(argb);
    EXPECT_TRUE(withAlpha.hasAlpha);
    EXPECT_EQ(withAlpha.levels[0].texels,
              (std::vector<std::uint32_t>{Argb(0x80, 0x10, 0x20, 0x30), Argb(255, 3, 2, 1)}));

    const Bytes rgb = Concat(DdsHeader(2, 1, 1, nullptr, 24, {0xFF0000, 0xFF00, 0xFF, 0}),
                             {0x30, 0x20, 0x10, 0x06, 0x05, 0x04});
    const TextureImage opaque = Decode(rgb);
    EXPECT_FALSE(opaque.hasAlpha);
    EXPECT_EQ(opaque.levels[0].texels,
              (std::vector<std::uint32_t>{Argb(255, 0x10, 0x20, 0x30), Argb(255, 4, 5, 6)}));

    // Swapped masks (A8B8G8R8) and a 5-bit red mask scaled to 8 bits.
    const Bytes abgr =
        Concat(DdsHeader(1, 1, 1, nullptr, 32, {0x000000FF, 0x0000FF00, 0x00FF0000, 0}),
               {0x11, 0x22, 0x33, 0x44});
    EXPECT_EQ(Decode(abgr).levels[0].texels[0], Argb(255, 0x11, 0x22, 0x33));
    const Bytes fiveBit =
        Concat(DdsHeader(1, 1, 1, nullptr, 32, {0x1F, 0x7E0, 0xF800, 0}), {0x1F, 0, 0, 0});
    EXPECT_EQ(Decode(fiveBit).levels[0].texels[0], Argb(255, 255, 0, 0));
}

TEST(DdsFile, OwnMipLevelsAreKept) {
    // 8 x 4 DXT1 with 4 levels of distinct solid colours; the 2 x 1 and 1 x 1 levels still take
    // a whole block each and are cropped.
    const std::uint16_t colours[] = {Red565, Blue565, 0x07E0, 0xFFFF};
    Bytes file = DdsHeader(8, 4, 4, "DXT1");
    for (int level = 0; level < 4; ++level) {
        const int blocks = level == 0 ? 2 : 1;
        for (int b = 0; b < blocks; ++b) {
            file = Concat(file, ColourBlock(colours[level], 0, {}));
        }
    }
    const TextureImage image = Decode(file);
    ASSERT_EQ(image.levels.size(), 4u);
    const std::uint32_t sizes[4][2] = {{8, 4}, {4, 2}, {2, 1}, {1, 1}};
    const std::uint32_t expected[] = {Argb(255, 255, 0, 0), Argb(255, 0, 0, 255),
                                      Argb(255, 0, 255, 0), Argb(255, 255, 255, 255)};
    for (int level = 0; level < 4; ++level) {
        EXPECT_EQ(image.levels[level].width, sizes[level][0]);
        EXPECT_EQ(image.levels[level].height, sizes[level][1]);
        for (const std::uint32_t texel : image.levels[level].texels) {
            ASSERT_EQ(texel, expected[level]) << "level " << level;
        }
    }
}

TEST(DdsFile, TruncatedOrLyingFilesAreCorrupt) {
    const Bytes block = ColourBlock(Red565, Blue565, Ramp);
    Decode(DdsHeader(4, 4, 1, "DXT1"), ImageStatus::Corrupt);                 // no data
    Decode(Concat(DdsHeader(8, 4, 1, "DXT1"), block), ImageStatus::Corrupt);  // one block short
    Decode(Concat(DdsHeader(4, 4, 3, "DXT1"), block), ImageStatus::Corrupt);  // mips missing
    Decode(Concat(DdsHeader(65536, 65536, 1, "DXT1"), block), ImageStatus::Corrupt);
    Decode(Concat(DdsHeader(16384, 16384, 1, "DXT1"), block), ImageStatus::Corrupt);
    Decode(Concat(DdsHeader(4, 4, 20, "DXT1"), Bytes(1000, 0)), ImageStatus::Corrupt);
    Decode(Concat(DdsHeader(0, 4, 1, "DXT1"), block), ImageStatus::Corrupt);
    Decode(Concat(DdsHeader(4, 4, 1, "DX10"), Bytes(1000, 0)), ImageStatus::Corrupt);
    Decode(Concat(DdsHeader(4, 4, 1, nullptr, 16, {0xF800, 0x7E0, 0x1F, 0}), Bytes(1000, 0)),
           ImageStatus::Corrupt);

    Bytes badSize = Concat(DdsHeader(4, 4, 1, "DXT1"), block);
    PutLe32(badSize, 4, 100);
    Decode(badSize, ImageStatus::Corrupt);
    Bytes cube = Concat(DdsHeader(4, 4, 1, "DXT1"), Bytes(1000, 0));
    PutLe32(cube, 112, 0x200 | 0xFC00);
    Decode(cube, ImageStatus::Corrupt);

    Decode(Bytes{'D', 'D', 'S', ' '}, ImageStatus::Corrupt);
    Decode(Bytes{'D', 'D', 'S'}, ImageStatus::Unrecognised);
}

TEST(DdsFile, SidesBeyondTheDeviceLimitAfterRoundingAreRefused) {
    // 8193 x 8191 with all its blocks would become a 16384 x 8192 top level.
    const auto dxt1 = [](std::uint32_t width, std::uint32_t height) {
        const std::size_t blocks = std::size_t{(width + 3) / 4} * ((height + 3) / 4);
        return Concat(DdsHeader(width, height, 1, "DXT1"), Bytes(blocks * 8, 0x55));
    };
    Decode(dxt1(8193, 8191), ImageStatus::Corrupt);
    Decode(dxt1(8193, 4), ImageStatus::Corrupt);
    const TextureImage widest = Decode(dxt1(8192, 4));
    ASSERT_FALSE(widest.levels.empty());
    EXPECT_EQ(widest.levels.front().width, 8192u);
}

}  // namespace
