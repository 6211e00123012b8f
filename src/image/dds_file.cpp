#include "image/dds_file.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace image {

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::size_t MagicSize = 4;
constexpr std::size_t HeaderSize = 124;
constexpr std::size_t PixelFormatSize = 32;
constexpr std::size_t DataOffset = MagicSize + HeaderSize;

// Header flags and pixel-format flags (DDSD_*, DDPF_*).
constexpr std::uint32_t FlagMipMapCount = 0x20000;
constexpr std::uint32_t PixelAlphaPixels = 0x1;
constexpr std::uint32_t PixelFourCC = 0x4;
constexpr std::uint32_t PixelRgb = 0x40;
// Cube maps and volumes are not 2D textures.
constexpr std::uint32_t Caps2CubeMap = 0x200;
constexpr std::uint32_t Caps2Volume = 0x200000;

constexpr std::uint32_t FourCC(char a, char b, char c, char d) {
    return std::uint32_t(std::uint8_t(a)) | (std::uint32_t(std::uint8_t(b)) << 8) |
           (std::uint32_t(std::uint8_t(c)) << 16) | (std::uint32_t(std::uint8_t(d)) << 24);
}

std::uint32_t ReadLe32(Bytes bytes, std::size_t offset) {
    return std::uint32_t{bytes[offset]} | (std::uint32_t{bytes[offset + 1]} << 8) |
           (std::uint32_t{bytes[offset + 2]} << 16) | (std::uint32_t{bytes[offset + 3]} << 24);
}

enum class Layout { Dxt1, Dxt3, Dxt5, Rgb24, Rgb32 };

struct Header {
    std::uint32_t width, height, levels;
    Layout layout;
    std::array<std::uint32_t, 4> masks;  // red, green, blue, alpha (uncompressed only)
    bool hasAlpha;
};

// Bytes one level occupies in the file.
std::uint64_t LevelBytes(Layout layout, std::uint32_t width, std::uint32_t height) {
    const std::uint64_t blocks = std::uint64_t{(width + 3) / 4} * ((height + 3) / 4);
    switch (layout) {
        case Layout::Dxt1:
            return blocks * 8;
        case Layout::Dxt3:
        case Layout::Dxt5:
            return blocks * 16;
        case Layout::Rgb24:
            return std::uint64_t{width} * 3 * height;
        case Layout::Rgb32:
            return std::uint64_t{width} * 4 * height;
    }
    return 0;
}

bool ParseHeader(Bytes file, Header& header) {
    if (file.size() < DataOffset || ReadLe32(file, 4) != HeaderSize ||
        ReadLe32(file, 76) != PixelFormatSize) {
        return false;
    }
    const std::uint32_t flags = ReadLe32(file, 8);
    header.height = ReadLe32(file, 12);
    header.width = ReadLe32(file, 16);
    const std::uint32_t mipCount = ReadLe32(file, 28);
    const std::uint32_t pixelFlags = ReadLe32(file, 80);
    const std::uint32_t fourCC = ReadLe32(file, 84);
    const std::uint32_t bitCount = ReadLe32(file, 88);
    header.masks = {ReadLe32(file, 92), ReadLe32(file, 96), ReadLe32(file, 100),
                    ReadLe32(file, 104)};
    const std::uint32_t caps2 = ReadLe32(file, 112);

    // A single level is rounded up to powers of two later: 8193 x 8191 would become 16384 x 8192.
    if (!TextureSizeAcceptable(header.width, header.height) ||
        (caps2 & (Caps2CubeMap | Caps2Volume)) != 0) {
        return false;
    }

    if (pixelFlags & PixelFourCC) {
        if (fourCC == FourCC('D', 'X', 'T', '1')) {
            header.layout = Layout::Dxt1;
        } else if (fourCC == FourCC('D', 'X', 'T', '3')) {
            header.layout = Layout::Dxt3;
        } else if (fourCC == FourCC('D', 'X', 'T', '5')) {
            header.layout = Layout::Dxt5;
        } else {
            return false;  // DX10 headers and other codes are not supported
        }
        header.hasAlpha = true;
    } else if (pixelFlags & PixelRgb) {
        if (bitCount == 24) {
            header.layout = Layout::Rgb24;
        } else if (bitCount == 32) {
            header.layout = Layout::Rgb32;
        } else {
            return false;
        }
        if (!(pixelFlags & PixelAlphaPixels)) {
            header.masks[3] = 0;
        }
        header.hasAlpha = header.masks[3] != 0;
        if (header.masks[0] == 0 || header.masks[1] == 0 || header.masks[2] == 0) {
            return false;
        }
    } else {
        return false;
    }

    // The full chain has floor(log2(max side)) + 1 levels; a count beyond it is a lie.
    const std::uint32_t fullChain = std::bit_width(std::max(header.width, header.height));
    header.levels = (flags & FlagMipMapCount) && mipCount > 1 ? mipCount : 1;
    if (header.levels > fullChain) {
        return false;
    }

    // Every level must be in the file before anything is allocated.
    std::uint64_t needed = DataOffset;
    std::uint32_t width = header.width;
    std::uint32_t height = header.height;
    for (std::uint32_t level = 0; level < header.levels; ++level) {
        needed += LevelBytes(header.layout, width, height);
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
    }
    return needed <= file.size();
}

std::uint32_t Expand565(std::uint32_t colour) {
    const std::uint32_t r = (colour >> 11) & 0x1F;
    const std::uint32_t g = (colour >> 5) & 0x3F;
    const std::uint32_t b = colour & 0x1F;
    return ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}

// The weights are constants, so that the division becomes a multiplication.
template <std::uint32_t WeightA, std::uint32_t WeightB>
std::uint32_t Mix(std::uint32_t a, std::uint32_t b) {
    std::uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t channel =
            (((a >> shift) & 0xFF) * WeightA + ((b >> shift) & 0xFF) * WeightB) /
            (WeightA + WeightB);
        result |= channel << shift;
    }
    return result;
}

// The colour half of a DXT block: two 5:6:5 endpoints and 2-bit indices. DXT1 blocks whose
// first endpoint is not above the second have three colours and transparent black.
void DecodeColourBlock(const std::uint8_t* block, bool allowTransparent,
                       std::array<std::uint32_t, 16>& texels) {
    const std::uint32_t c0 = block[0] | (block[1] << 8);
    const std::uint32_t c1 = block[2] | (block[3] << 8);
    std::array<std::uint32_t, 4> palette{};
    palette[0] = Expand565(c0) | 0xFF000000u;
    palette[1] = Expand565(c1) | 0xFF000000u;
    if (c0 > c1 || !allowTransparent) {
        palette[2] = Mix<2, 1>(palette[0], palette[1]) | 0xFF000000u;
        palette[3] = Mix<1, 2>(palette[0], palette[1]) | 0xFF000000u;
    } else {
        palette[2] = Mix<1, 1>(palette[0], palette[1]) | 0xFF000000u;
        palette[3] = 0;
    }
    const std::uint32_t indices = ReadLe32(Bytes(block, 8), 4);
    for (int i = 0; i < 16; ++i) {
        texels[i] = palette[(indices >> (2 * i)) & 3];
    }
}

void DecodeExplicitAlpha(const std::uint8_t* block, std::array<std::uint32_t, 16>& texels) {
    for (int i = 0; i < 16; ++i) {
        const std::uint32_t nibble = (block[i / 2] >> (4 * (i % 2))) & 0xF;
        texels[i] = (texels[i] & 0x00FFFFFFu) | ((nibble * 17) << 24);
    }
}

void DecodeInterpolatedAlpha(const std::uint8_t* block, std::array<std::uint32_t, 16>& texels) {
    const std::uint32_t a0 = block[0];
    const std::uint32_t a1 = block[1];
    std::array<std::uint32_t, 8> alphas{a0, a1};
    if (a0 > a1) {
        for (std::uint32_t i = 1; i <= 6; ++i) {
            alphas[i + 1] = ((7 - i) * a0 + i * a1) / 7;
        }
    } else {
        for (std::uint32_t i = 1; i <= 4; ++i) {
            alphas[i + 1] = ((5 - i) * a0 + i * a1) / 5;
        }
        alphas[6] = 0;
        alphas[7] = 255;
    }
    std::uint64_t indices = 0;
    for (int i = 0; i < 6; ++i) {
        indices |= std::uint64_t{block[2 + i]} << (8 * i);
    }
    for (int i = 0; i < 16; ++i) {
        texels[i] = (texels[i] & 0x00FFFFFFu) | (alphas[(indices >> (3 * i)) & 7] << 24);
    }
}

void DecodeBlocks(Layout layout, const std::uint8_t* data, TextureLevel& level) {
    const std::uint32_t blocksWide = (level.width + 3) / 4;
    const std::uint32_t blocksHigh = (level.height + 3) / 4;
    const std::size_t blockBytes = layout == Layout::Dxt1 ? 8 : 16;
    std::array<std::uint32_t, 16> texels{};
    for (std::uint32_t by = 0; by < blocksHigh; ++by) {
        for (std::uint32_t bx = 0; bx < blocksWide; ++bx) {
            const std::uint8_t* block = data + (std::size_t{by} * blocksWide + bx) * blockBytes;
            if (layout == Layout::Dxt1) {
                DecodeColourBlock(block, true, texels);
            } else {
                DecodeColourBlock(block + 8, false, texels);
                if (layout == Layout::Dxt3) {
                    DecodeExplicitAlpha(block, texels);
                } else {
                    DecodeInterpolatedAlpha(block, texels);
                }
            }
            if (bx * 4 + 4 <= level.width && by * 4 + 4 <= level.height) {
                for (std::uint32_t y = 0; y < 4; ++y) {
                    std::memcpy(&level.texels[std::size_t{by * 4 + y} * level.width + bx * 4],
                                &texels[y * 4], 4 * sizeof(std::uint32_t));
                }
                continue;
            }
            // Blocks hang over the edge of levels whose sides are not multiples of 4.
            for (std::uint32_t y = 0; y < 4 && by * 4 + y < level.height; ++y) {
                for (std::uint32_t x = 0; x < 4 && bx * 4 + x < level.width; ++x) {
                    level.texels[std::size_t{by * 4 + y} * level.width + bx * 4 + x] =
                        texels[y * 4 + x];
                }
            }
        }
    }
}

// Moves the bits of `mask` down and scales them to 8 bits.
std::uint32_t ExtractChannel(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0) {
        return 0xFF;
    }
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask >> shift);
    const std::uint32_t value = (pixel & mask) >> shift;
    const std::uint32_t maximum = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u;
    return static_cast<std::uint32_t>((std::uint64_t{value} * 255 + maximum / 2) / maximum);
}

void DecodeUncompressed(const Header& header, const std::uint8_t* data, TextureLevel& level) {
    const std::size_t pixelBytes = header.layout == Layout::Rgb24 ? 3 : 4;
    for (std::size_t i = 0; i < level.texels.size(); ++i) {
        const std::uint8_t* p = data + i * pixelBytes;
        std::uint32_t pixel = p[0] | (p[1] << 8) | (std::uint32_t{p[2]} << 16);
        if (pixelBytes == 4) {
            pixel |= std::uint32_t{p[3]} << 24;
        }
        level.texels[i] = (ExtractChannel(pixel, header.masks[3]) << 24) |
                          (ExtractChannel(pixel, header.masks[0]) << 16) |
                          (ExtractChannel(pixel, header.masks[1]) << 8) |
                          ExtractChannel(pixel, header.masks[2]);
    }
}

}  // namespace

bool IsDdsFile(std::span<const std::uint8_t> file) {
    return file.size() >= MagicSize && std::memcmp(file.data(), "DDS ", MagicSize) == 0;
}

ImageStatus DecodeDdsFile(std::span<const std::uint8_t> file, TextureImage& image) {
    image = TextureImage{};
    Header header{};
    if (!IsDdsFile(file)) {
        return ImageStatus::Unrecognised;
    }
    if (!ParseHeader(file, header)) {
        return ImageStatus::Corrupt;
    }

    std::vector<TextureLevel> levels;
    std::size_t offset = DataOffset;
    std::uint32_t width = header.width;
    std::uint32_t height = header.height;
    for (std::uint32_t index = 0; index < header.levels; ++index) {
        TextureLevel level{width, height, std::vector<std::uint32_t>(std::size_t{width} * height)};
        if (header.layout == Layout::Rgb24 || header.layout == Layout::Rgb32) {
            DecodeUncompressed(header, file.data() + offset, level);
        } else {
            DecodeBlocks(header.layout, file.data() + offset, level);
        }
        offset += static_cast<std::size_t>(LevelBytes(header.layout, width, height));
        levels.push_back(std::move(level));
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
    }

    image.hasAlpha = header.hasAlpha;
    if (levels.size() == 1) {
        // A single level is treated like any other picture: power-of-two sides, full chain.
        BuildMipChain(std::move(levels.front()), image);
    } else {
        image.levels = std::move(levels);
    }
    return ImageStatus::Ok;
}

}  // namespace image
