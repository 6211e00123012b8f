#include "image/texture_image.h"

#include <algorithm>
#include <array>
#include <utility>

namespace image {

namespace {

// --- Scaling and the mip chain -------------------------------------------------------------

// One source texel's share of a destination texel along one axis.
struct Tap {
    std::uint32_t source;
    float weight;
};

// For each destination texel, the source texels its footprint overlaps, weighted by overlap
// (an area filter: averages when shrinking, repeats when growing).
std::vector<std::vector<Tap>> AxisTaps(std::uint32_t sourceSide, std::uint32_t targetSide) {
    std::vector<std::vector<Tap>> taps(targetSide);
    const double scale = static_cast<double>(sourceSide) / targetSide;
    for (std::uint32_t target = 0; target < targetSide; ++target) {
        const double begin = target * scale;
        const double end = (target + 1) * scale;
        double total = 0.0;
        for (auto source = static_cast<std::uint32_t>(begin); source < sourceSide && source < end;
             ++source) {
            const double overlap =
                std::min<double>(end, source + 1) - std::max<double>(begin, source);
            if (overlap > 0.0) {
                taps[target].push_back({source, static_cast<float>(overlap)});
                total += overlap;
            }
        }
        for (Tap& tap : taps[target]) {
            tap.weight = static_cast<float>(tap.weight / total);
        }
    }
    return taps;
}

std::uint32_t Blend(const std::uint32_t* texels, std::size_t stride, const std::vector<Tap>& taps) {
    std::array<float, 4> sum{};
    for (const Tap& tap : taps) {
        const std::uint32_t texel = texels[tap.source * stride];
        for (int channel = 0; channel < 4; ++channel) {
            sum[channel] += tap.weight * static_cast<float>((texel >> (8 * channel)) & 0xFFu);
        }
    }
    std::uint32_t result = 0;
    for (int channel = 0; channel < 4; ++channel) {
        const float value = std::clamp(sum[channel] + 0.5f, 0.0f, 255.0f);
        result |= static_cast<std::uint32_t>(value) << (8 * channel);
    }
    return result;
}

TextureLevel Resize(const TextureLevel& source, std::uint32_t width, std::uint32_t height) {
    // Rows first into an intermediate of the new width, then columns.
    const auto columnTaps = AxisTaps(source.width, width);
    std::vector<std::uint32_t> wide(std::size_t{width} * source.height);
    for (std::uint32_t y = 0; y < source.height; ++y) {
        const std::uint32_t* row = source.texels.data() + std::size_t{y} * source.width;
        for (std::uint32_t x = 0; x < width; ++x) {
            wide[std::size_t{y} * width + x] = Blend(row, 1, columnTaps[x]);
        }
    }
    const auto rowTaps = AxisTaps(source.height, height);
    TextureLevel result{width, height, std::vector<std::uint32_t>(std::size_t{width} * height)};
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            result.texels[std::size_t{y} * width + x] = Blend(wide.data() + x, width, rowTaps[y]);
        }
    }
    return result;
}

// The next level: each texel the rounded mean of the 2 x 2 (or 2 x 1) block above it.
TextureLevel HalveLevel(const TextureLevel& level) {
    const std::uint32_t width = std::max(1u, level.width / 2);
    const std::uint32_t height = std::max(1u, level.height / 2);
    const std::uint32_t stepX = level.width > 1 ? 2 : 1;
    const std::uint32_t stepY = level.height > 1 ? 2 : 1;
    TextureLevel next{width, height, std::vector<std::uint32_t>(std::size_t{width} * height)};
    if (stepX == 2 && stepY == 2) {
        // The common case, four texels a texel: the channels summed two at a time in 16-bit
        // lanes (at most 4 x 255), then rounded and divided as below.
        constexpr std::uint32_t Lanes = 0x00FF00FFu;
        constexpr std::uint32_t Half = 0x00020002u;
        for (std::uint32_t y = 0; y < height; ++y) {
            const std::uint32_t* upper = level.texels.data() + std::size_t{2 * y} * level.width;
            const std::uint32_t* lower = upper + level.width;
            std::uint32_t* out = next.texels.data() + std::size_t{y} * width;
            for (std::uint32_t x = 0; x < width; ++x) {
                const std::uint32_t a = upper[2 * x];
                const std::uint32_t b = upper[2 * x + 1];
                const std::uint32_t c = lower[2 * x];
                const std::uint32_t d = lower[2 * x + 1];
                const std::uint32_t even = (a & Lanes) + (b & Lanes) + (c & Lanes) + (d & Lanes);
                const std::uint32_t odd = ((a >> 8) & Lanes) + ((b >> 8) & Lanes) +
                                          ((c >> 8) & Lanes) + ((d >> 8) & Lanes);
                out[x] = (((even + Half) >> 2) & Lanes) | ((((odd + Half) >> 2) & Lanes) << 8);
            }
        }
        return next;
    }
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            std::array<std::uint32_t, 4> sum{};
            for (std::uint32_t dy = 0; dy < stepY; ++dy) {
                for (std::uint32_t dx = 0; dx < stepX; ++dx) {
                    const std::uint32_t texel =
                        level.texels[std::size_t{y * stepY + dy} * level.width + x * stepX + dx];
                    for (int channel = 0; channel < 4; ++channel) {
                        sum[channel] += (texel >> (8 * channel)) & 0xFFu;
                    }
                }
            }
            const std::uint32_t count = stepX * stepY;
            std::uint32_t texel = 0;
            for (int channel = 0; channel < 4; ++channel) {
                texel |= ((sum[channel] + count / 2) / count) << (8 * channel);
            }
            next.texels[std::size_t{y} * width + x] = texel;
        }
    }
    return next;
}

}  // namespace

bool TextureSizeAcceptable(std::uint64_t width, std::uint64_t height) {
    return width >= 1 && height >= 1 && width <= MaxImageSide && height <= MaxImageSide &&
           RoundUpToPowerOfTwo(static_cast<std::uint32_t>(width)) <= MaxImageSide &&
           RoundUpToPowerOfTwo(static_cast<std::uint32_t>(height)) <= MaxImageSide;
}

std::uint32_t RoundUpToPowerOfTwo(std::uint32_t side) {
    std::uint32_t power = 1;
    while (power < side) {
        power <<= 1;
    }
    return power;
}

void BuildMipChain(TextureLevel picture, TextureImage& image) {
    const std::uint32_t width = RoundUpToPowerOfTwo(picture.width);
    const std::uint32_t height = RoundUpToPowerOfTwo(picture.height);
    image.levels.clear();
    if (width != picture.width || height != picture.height) {
        image.levels.push_back(Resize(picture, width, height));
    } else {
        image.levels.push_back(std::move(picture));
    }
    while (image.levels.back().width > 1 || image.levels.back().height > 1) {
        image.levels.push_back(HalveLevel(image.levels.back()));
    }
}

}  // namespace image
