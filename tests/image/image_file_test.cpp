#include "image/image_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include <sys/resource.h>
#include <unistd.h>

#include "image/image_test_files.h"

#if defined(__SANITIZE_ADDRESS__)
#define VELMORA_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMORA_TEST_ASAN 1
#endif
#endif
#ifdef VELMORA_TEST_ASAN
// From the sanitizer runtime (GCC installs no header for it).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*,
                                                                            std::size_t),
                                                         void (*freeHook)(const volatile void*));
#endif

namespace {

using namespace image;

using namespace image_test;

constexpr std::uint32_t Argb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

int Channel(std::uint32_t texel, int shift) {
    return static_cast<int>((texel >> shift) & 0xFF);
}

TextureImage Decode(const Bytes& file, ImageStatus expected = ImageStatus::Ok) {
    TextureImage image;
    EXPECT_EQ(DecodeTextureImage(file, image), expected);
    return image;
}

// Lets a death-test child allocate only about `bytes` more: past that an allocation fails. Under
// AddressSanitizer, whose shadow memory reserves terabytes of address space, an address-space
// limit means nothing; there a malloc hook ends the child (exit code 3) on any one allocation
// larger than `bytes`, before its memory is touched. Exit code 4: the cap could not be set.
#ifdef VELMORA_TEST_ASAN
std::size_t allocationCap = 0;

void CapAllocations(std::size_t bytes) {
    allocationCap = bytes;
    const auto onMalloc = [](const volatile void*, std::size_t size) {
        if (size > allocationCap) {
            std::_Exit(3);
        }
    };
    if (__sanitizer_install_malloc_and_free_hooks(onMalloc, [](const volatile void*) {}) == 0) {
        std::_Exit(4);
    }
}
#else
void CapAllocations(std::size_t bytes) {
    std::size_t pages = 0;  // the address space in use: /proc/self/statm's first field
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) + bytes;
    const rlimit cap{limit, limit};
    if (pages == 0 || setrlimit(RLIMIT_AS, &cap) != 0) {
        std::_Exit(4);
    }
}
#endif

void ExpectChain(const TextureImage& image, std::uint32_t width, std::uint32_t height) {
    ASSERT_FALSE(image.levels.empty());
    for (const TextureLevel& level : image.levels) {
        EXPECT_EQ(level.width, width);
        EXPECT_EQ(level.height, height);
        EXPECT_EQ(level.texels.size(), std::size_t{width} * height);
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
    }
    EXPECT_EQ(image.levels.back().width, 1u);
    EXPECT_EQ(image.levels.back().height, 1u);
}

// 2 x 2 RGBA: red, green / blue, half-transparent white.
const std::vector<std::uint8_t> Quad = {255, 0, 0,   255, 0,   255, 0,   255,
                                        0,   0, 255, 255, 255, 255, 255, 128};

TEST(ImageFile, PngKeepsTexelsAlphaAndRowOrder) {
    const TextureImage image = Decode(Png(2, 2, 4, Quad));
    EXPECT_TRUE(image.hasAlpha);
    ExpectChain(image, 2, 2);
    ASSERT_EQ(image.levels.size(), 2u);
    EXPECT_EQ(image.levels[0].texels,
              (std::vector<std::uint32_t>{Argb(255, 255, 0, 0), Argb(255, 0, 255, 0),
                                          Argb(255, 0, 0, 255), Argb(128, 255, 255, 255)}));
    // The 1 x 1 level is the rounded mean of the four.
    EXPECT_EQ(image.levels[1].texels[0], Argb(223, 128, 128, 128));
}

TEST(ImageFile, OpaqueFormatsHaveNoAlphaAndOpaqueTexels) {
    const std::vector<std::uint8_t> rgb = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    const std::vector<std::uint32_t> expected = {Argb(255, 10, 20, 30), Argb(255, 40, 50, 60),
                                                 Argb(255, 70, 80, 90), Argb(255, 100, 110, 120)};
    for (const Bytes& file : {Png(2, 2, 3, rgb), Bmp(2, 2, 3, rgb), Tga(2, 2, 3, rgb, true),
                              Tga(2, 2, 3, rgb, false), Ppm(2, 2, rgb)}) {
        const TextureImage image = Decode(file);
        EXPECT_FALSE(image.hasAlpha);
        ASSERT_FALSE(image.levels.empty());
        EXPECT_EQ(image.levels[0].texels, expected) << "format " << int(DetectImageFormat(file));
    }
}

TEST(ImageFile, TargaKeepsAlpha) {
    for (const Bytes& file : {Tga(2, 2, 4, Quad, true), Tga(2, 2, 4, Quad, false)}) {
        const TextureImage image = Decode(file);
        EXPECT_TRUE(image.hasAlpha);
        ASSERT_FALSE(image.levels.empty());
        EXPECT_EQ(image.levels[0].texels[3], Argb(128, 255, 255, 255));
    }
}

TEST(ImageFile, GreyBecomesEqualChannels) {
    const TextureImage image = Decode(Png(2, 1, 1, {7, 200}));
    EXPECT_FALSE(image.hasAlpha);
    EXPECT_EQ(image.levels[0].texels[0], Argb(255, 7, 7, 7));
    EXPECT_EQ(image.levels[0].texels[1], Argb(255, 200, 200, 200));
}

TEST(ImageFile, LossyAndHighDynamicRangeFormatsDecodeCloseToTheSource) {
    const TextureImage jpeg = Decode(Jpeg(16, 16, Repeat({200, 100, 50}, 256)));
    EXPECT_FALSE(jpeg.hasAlpha);
    ExpectChain(jpeg, 16, 16);
    for (const std::uint32_t texel : jpeg.levels[0].texels) {
        ASSERT_NEAR(Channel(texel, 16), 200, 4);
        ASSERT_NEAR(Channel(texel, 8), 100, 4);
        ASSERT_NEAR(Channel(texel, 0), 50, 4);
        ASSERT_EQ(Channel(texel, 24), 255);
    }

    // HDR comes out tone-mapped to 8 bits: 1.0 is white, 0 black.
    std::vector<float> hdr;
    for (int i = 0; i < 4; ++i) {
        hdr.insert(hdr.end(), {1.0f, 0.0f, 1.0f});
    }
    const TextureImage radiance = Decode(Hdr(2, 2, hdr));
    EXPECT_FALSE(radiance.hasAlpha);
    ASSERT_FALSE(radiance.levels.empty());
    EXPECT_EQ(radiance.levels[0].texels[0], Argb(255, 255, 0, 255));
}

TEST(ImageFile, SidesAreScaledUpToPowersOfTwoNotPadded) {
    // 3 x 5 of one colour: scaled to 4 x 8 it stays that colour everywhere (padding would add
    // black), with levels 4x8, 2x4, 1x2, 1x1.
    const TextureImage image = Decode(Png(3, 5, 3, Repeat({90, 60, 30}, 15)));
    ExpectChain(image, 4, 8);
    EXPECT_EQ(image.levels.size(), 4u);
    for (const TextureLevel& level : image.levels) {
        for (const std::uint32_t texel : level.texels) {
            ASSERT_EQ(texel, Argb(255, 90, 60, 30));
        }
    }

    // 6 x 1, left half black, right half white: the left and right edges keep their colours.
    std::vector<std::uint8_t> split = Repeat({0, 0, 0}, 3);
    const std::vector<std::uint8_t> white = Repeat({255, 255, 255}, 3);
    split.insert(split.end(), white.begin(), white.end());
    const TextureImage stretched = Decode(Png(6, 1, 3, split));
    ExpectChain(stretched, 8, 1);
    const std::vector<std::uint32_t>& row = stretched.levels[0].texels;
    EXPECT_EQ(row[0], Argb(255, 0, 0, 0));
    EXPECT_EQ(row[2], Argb(255, 0, 0, 0));
    EXPECT_EQ(row[5], Argb(255, 255, 255, 255));
    EXPECT_EQ(row[7], Argb(255, 255, 255, 255));
}

TEST(ImageFile, MipLevelsAreRoundedBoxMeansDownToOneTexel) {
    // Box sums that are odd or two past a multiple of four, down the 2 x 2, 2 x 1 and 1 x 2
    // boxes of non-square chains: truncating, or a wrong divisor, changes a texel. All four
    // channels carry the same value.
    const auto grey = [](std::vector<std::uint32_t> values) {
        for (std::uint32_t& value : values) {
            value = Argb(value, value, value, value);
        }
        return values;
    };
    const auto expectLevels = [&](TextureLevel picture,
                                  const std::vector<std::vector<std::uint32_t>>& below) {
        const std::string sides =
            std::to_string(picture.width) + "x" + std::to_string(picture.height);
        TextureImage image;
        BuildMipChain(std::move(picture), image);
        ASSERT_EQ(image.levels.size(), below.size() + 1) << sides;
        for (std::size_t i = 0; i < below.size(); ++i) {
            EXPECT_EQ(image.levels[i + 1].texels, grey(below[i])) << sides << " level " << i + 1;
        }
    };
    // (0 + 1 + 0 + 1) / 4 = 0.5 -> 1, (5 + 6 + 7 + 5) / 4 = 5.75 -> 6, (1 + 6) / 2 = 3.5 -> 4.
    expectLevels({4, 2, grey({0, 1, 5, 6, 0, 1, 7, 5})}, {{1, 6}, {4}});
    expectLevels({2, 4, grey({0, 0, 1, 1, 5, 7, 6, 5})}, {{1, 6}, {4}});
    // (1 + 2) / 2 = 1.5 -> 2, (4 + 7) / 2 = 5.5 -> 6, (2 + 6) / 2 = 4.
    expectLevels({4, 1, grey({1, 2, 4, 7})}, {{2, 6}, {4}});
}

TEST(ImageFile, FormatIsRecognisedByContentOnly) {
    const std::vector<std::uint8_t> rgb = Repeat({1, 2, 3}, 4);
    EXPECT_EQ(DetectImageFormat(Png(2, 2, 3, rgb)), ImageFormat::Png);
    EXPECT_EQ(DetectImageFormat(Jpeg(2, 2, rgb)), ImageFormat::Jpeg);
    EXPECT_EQ(DetectImageFormat(Bmp(2, 2, 3, rgb)), ImageFormat::Bmp);
    EXPECT_EQ(DetectImageFormat(Tga(2, 2, 3, rgb, true)), ImageFormat::Tga);
    EXPECT_EQ(DetectImageFormat(Tga(2, 2, 3, rgb, false)), ImageFormat::Tga);
    EXPECT_EQ(DetectImageFormat(Ppm(2, 2, rgb)), ImageFormat::Ppm);
    EXPECT_EQ(DetectImageFormat(Hdr(1, 1, {1.0f, 1.0f, 1.0f})), ImageFormat::Hdr);
    EXPECT_EQ(DetectImageFormat(DdsHeader(4, 4, 1, "DXT1")), ImageFormat::Dds);

    const std::string text = "This is not an image, whatever its name says.\n";
    Decode(Bytes(text.begin(), text.end()), ImageStatus::Unrecognised);
    Decode(Bytes{}, ImageStatus::Unrecognised);
    Decode(Bytes(5000, 0), ImageStatus::Unrecognised);
    Decode(Bytes(17, 2), ImageStatus::Unrecognised);  // shorter than a TGA header
}

TEST(ImageFile, TargaNeedsAPlausibleHeader) {
    const Bytes good = Tga(2, 2, 3, Repeat({1, 2, 3}, 4), false);
    const auto broken = [&](std::size_t offset, std::uint8_t value) {
        Bytes file = good;
        file[offset] = value;
        return DetectImageFormat(file);
    };
    EXPECT_EQ(broken(2, 4), ImageFormat::Unknown);      // image type 4 does not exist
    EXPECT_EQ(broken(1, 1), ImageFormat::Unknown);      // a colour map on a true-colour image
    EXPECT_EQ(broken(16, 12), ImageFormat::Unknown);    // 12 bits per pixel
    EXPECT_EQ(broken(17, 0xC0), ImageFormat::Unknown);  // interleaving bits
    EXPECT_EQ(broken(12, 0), ImageFormat::Unknown);     // width 0 (both bytes)
    Bytes longer = good;
    longer[12] = 3;  // width 3: the pixel data no longer covers the image
    EXPECT_EQ(DetectImageFormat(longer), ImageFormat::Unknown);
}

TEST(ImageFile, TruncatedFilesAreCorruptNotDecoded) {
    const std::vector<std::uint8_t> rgb = Repeat({120, 130, 140}, 64 * 64);
    std::vector<std::uint8_t> noisy(64 * 64 * 3);
    for (std::size_t i = 0; i < noisy.size(); ++i) {
        noisy[i] = static_cast<std::uint8_t>((i * 7919) >> 3);
    }
    const auto half = [](Bytes file) {
        file.resize(file.size() / 2);
        return file;
    };
    for (const Bytes& whole : {Png(64, 64, 3, noisy), Jpeg(64, 64, noisy), Bmp(64, 64, 3, rgb),
                               Ppm(64, 64, rgb), Tga(64, 64, 3, noisy, true)}) {
        TextureImage image;
        ASSERT_EQ(DecodeTextureImage(whole, image), ImageStatus::Ok);
        EXPECT_NE(DecodeTextureImage(half(whole), image), ImageStatus::Ok)
            << "format " << int(DetectImageFormat(whole));
        EXPECT_TRUE(image.levels.empty());
    }
}

TEST(ImageFile, LyingSizesAreRefusedBeforeDecoding) {
    // PNG headers over a few bytes of image data, claiming 65536 x 65536, 16384 x 16384 (past
    // the side limits) and 8192 x 8192 (the largest texture, 256 MiB of texels): refused in a
    // child that cannot allocate 64 MiB more, so before the picture is allocated.
    for (const std::uint32_t side : {65536u, 16384u, 8192u}) {
        Bytes png = Png(2, 2, 3, Repeat({1, 2, 3}, 4));
        for (const std::size_t offset : {16u, 20u}) {  // IHDR width and height, big-endian
            for (int i = 0; i < 4; ++i) {
                png[offset + i] = static_cast<std::uint8_t>(side >> (8 * (3 - i)));
            }
        }
        EXPECT_EXIT(
            {
                CapAllocations(std::size_t{64} << 20);
                TextureImage image;
                std::_Exit(DecodeTextureImage(png, image) == ImageStatus::Corrupt ? 0 : 1);
            },
            testing::ExitedWithCode(0), "")
            << side << " x " << side;
    }
    // BMP claiming 100000 pixels wide.
    Bytes bmp = Bmp(2, 2, 3, Repeat({1, 2, 3}, 4));
    PutLe32(bmp, 18, 100000);
    Decode(bmp, ImageStatus::Corrupt);
    // PPM claiming more rows than it holds.
    const std::string header = "P6 4 4000 255\n";
    Bytes ppm(header.begin(), header.end());
    ppm.resize(ppm.size() + 48, 9);
    Decode(ppm, ImageStatus::Corrupt);
}

TEST(ImageFile, RadianceChannelsAreMantissaTimesTheSharedExponent) {
    // Flat RGBE pixels: each channel is mantissa * 2^(exponent - 136), shown with gamma 1/2.2
    // and rounded to 8 bits; above 1 saturates, and exponent 0 is black whatever the mantissas.
    const std::string header = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 1 +X 4\n";
    Bytes hdr(header.begin(), header.end());
    hdr.insert(hdr.end(), {128, 64, 192, 128,  // 0.5, 0.25, 0.75
                           200, 100, 0, 127,   // 0.390625, 0.1953125, 0
                           128, 255, 1, 130,   // 2, 3.984375, 0.015625
                           77, 77, 77, 0});
    const TextureImage image = Decode(hdr);
    ASSERT_FALSE(image.levels.empty());
    // 255 * value^(1 / 2.2): 186.08, 135.79, 223.74; 166.33, 121.38; 38.51.
    EXPECT_EQ(image.levels[0].texels,
              (std::vector<std::uint32_t>{Argb(255, 186, 136, 224), Argb(255, 166, 121, 0),
                                          Argb(255, 255, 255, 39), Argb(255, 0, 0, 0)}));
}

TEST(ImageFile, RoundsUpToPowersOfTwo) {
    EXPECT_EQ(RoundUpToPowerOfTwo(1), 1u);
    EXPECT_EQ(RoundUpToPowerOfTwo(2), 2u);
    EXPECT_EQ(RoundUpToPowerOfTwo(3), 4u);
    EXPECT_EQ(RoundUpToPowerOfTwo(257), 512u);
    EXPECT_EQ(RoundUpToPowerOfTwo(16384), 16384u);
}

TEST(ImageFile, DamagedFilesNeverCrashAndDecodeConsistently) {
    // Every format cut at many lengths and with bytes overwritten (deterministically): each
    // result is an error or a well-formed image. Run under the sanitizers this also checks
    // that no decoder reads outside the file.
    const std::vector<std::uint8_t> rgba = Repeat({200, 10, 90, 255}, 8 * 8);
    std::vector<std::uint8_t> rgb;
    for (int i = 0; i < 8 * 8 * 3; ++i) {
        rgb.push_back(static_cast<std::uint8_t>(i * 37));
    }
    Bytes dds = DdsHeader(8, 8, 4, "DXT5");
    dds.resize(dds.size() + 16 * 4 + 16 * 3, 0x5A);
    const std::vector<Bytes> originals = {Png(8, 8, 4, rgba),
                                          Jpeg(8, 8, rgb),
                                          Bmp(8, 8, 3, rgb),
                                          Tga(8, 8, 4, rgba, true),
                                          Ppm(8, 8, rgb),
                                          Hdr(2, 2, std::vector<float>(12, 2.0f)),
                                          dds};
    std::uint32_t state = 2463534242u;
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    for (const Bytes& original : originals) {
        std::vector<Bytes> variants;
        for (std::size_t length = 0; length < original.size(); length += 1 + original.size() / 40) {
            variants.emplace_back(original.begin(), original.begin() + length);
        }
        for (int i = 0; i < 60; ++i) {
            Bytes damaged = original;
            for (int hits = 1 + static_cast<int>(next() % 4); hits > 0; --hits) {
                damaged[next() % damaged.size()] = static_cast<std::uint8_t>(next());
            }
            variants.push_back(std::move(damaged));
        }
        for (const Bytes& variant : variants) {
            TextureImage image;
            if (DecodeTextureImage(variant, image) != ImageStatus::Ok) {
                EXPECT_TRUE(image.levels.empty());
                continue;
            }
            ASSERT_FALSE(image.levels.empty());
            for (std::size_t i = 0; i < image.levels.size(); ++i) {
                const TextureLevel& level = image.levels[i];
                ASSERT_EQ(level.texels.size(), std::size_t{level.width} * level.height);
                if (i > 0) {  // a DDS may stop its chain early, but each level halves
                    ASSERT_EQ(level.width, std::max(1u, image.levels[i - 1].width / 2));
                    ASSERT_EQ(level.height, std::max(1u, image.levels[i - 1].height / 2));
                }
            }
        }
    }
}

TEST(ImageFile, JpegHuffmanTablesWithTooManySymbolsAreRefused) {
    // Code counts adding up to more than 256 symbols: stb_image would write past its tables.
    Bytes jpeg = Jpeg(8, 8, Repeat({10, 20, 30}, 64));
    const std::uint8_t dht[] = {0xFF, 0xC4};
    const auto segment = std::search(jpeg.begin(), jpeg.end(), std::begin(dht), std::end(dht));
    ASSERT_NE(segment, jpeg.end());
    const std::size_t counts = static_cast<std::size_t>(segment - jpeg.begin()) + 5;
    Bytes overflowing = jpeg;
    for (std::size_t i = 0; i < 16; ++i) {
        overflowing[counts + i] = 17;  // 272 symbols
    }
    Decode(overflowing, ImageStatus::Corrupt);
    Decode(jpeg);  // the untouched file still decodes
}

TEST(ImageFile, RadianceRunLengthAndPnmMaximumDecodeExactly) {
    // Eight pixels wide: stb writes run-length scanlines, which decode like the flat ones.
    std::vector<float> hdr;
    for (int i = 0; i < 16; ++i) {
        hdr.insert(hdr.end(), {1.0f, 0.0f, i % 2 == 0 ? 1.0f : 0.0f});
    }
    const TextureImage radiance = Decode(Hdr(8, 2, hdr));
    ASSERT_FALSE(radiance.levels.empty());
    for (std::size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(radiance.levels[0].texels[i], Argb(255, 255, 0, i % 2 == 0 ? 255 : 0));
    }

    // Samples scale by the file's maximum value; 16-bit files are refused.
    const std::string grey = "P5 4 1 100\n";
    Bytes pgm(grey.begin(), grey.end());
    pgm.insert(pgm.end(), {0, 50, 100, 200});
    const TextureImage scaled = Decode(pgm);
    ASSERT_FALSE(scaled.levels.empty());
    EXPECT_EQ(scaled.levels[0].texels,
              (std::vector<std::uint32_t>{Argb(255, 0, 0, 0), Argb(255, 128, 128, 128),
                                          Argb(255, 255, 255, 255), Argb(255, 255, 255, 255)}));
    const std::string wide = "P5 1 1 65535\n";
    Bytes pgm16(wide.begin(), wide.end());
    pgm16.insert(pgm16.end(), {0xFF, 0xFF});
    Decode(pgm16, ImageStatus::Corrupt);
}

}  // namespace
