#include "image/pnm_file.h"

#include <algorithm>
#include <array>

namespace image {

namespace {

using Bytes = std::span<const std::uint8_t>;

// Header numbers stop growing here: far beyond any accepted side or maximum value, and far from
// overflowing.
constexpr std::uint64_t NumberCeiling = std::uint64_t{1} << 30;

bool IsWhitespace(std::uint8_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsDigit(std::uint8_t c) {
    return c >= '0' && c <= '9';
}

struct PnmHeader {
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    std::uint64_t maximum = 0;
    std::uint64_t channels = 0;
    std::size_t dataOffset = 0;
};

// "P6" or "P5", then width, height and maximum value separated by whitespace and comments, then
// exactly one whitespace before the samples.
bool ParseHeader(Bytes file, PnmHeader& header) {
    std::size_t at = 2;
    std::array<std::uint64_t*, 3> fields{&header.width, &header.height, &header.maximum};
    for (std::uint64_t* field : fields) {
        for (;;) {
            if (at >= file.size()) {
                return false;
            }
            if (file[at] == '#') {
                while (at < file.size() && file[at] != '\n' && file[at] != '\r') {
                    ++at;
                }
            } else if (IsWhitespace(file[at])) {
                ++at;
            } else {
                break;
            }
        }
        if (!IsDigit(file[at])) {
            return false;
        }
        while (at < file.size() && IsDigit(file[at])) {
            *field = std::min(*field * 10 + (file[at] - '0'), NumberCeiling);
            ++at;
        }
    }
    if (at >= file.size() || !IsWhitespace(file[at])) {
        return false;
    }
    header.dataOffset = at + 1;
    header.channels = file[1] == '6' ? 3 : 1;
    // 16-bit samples (a maximum above 255) are not read: a texel holds 8 bits a channel.
    return header.maximum >= 1 && header.maximum <= 255;
}

}  // namespace

bool IsPnmFile(std::span<const std::uint8_t> file) {
    return file.size() > 2 && file[0] == 'P' && (file[1] == '6' || file[1] == '5') &&
           IsWhitespace(file[2]);
}

ImageStatus DecodePnmFile(std::span<const std::uint8_t> file, TextureImage& image) {
    image = TextureImage{};
    if (!IsPnmFile(file)) {
        return ImageStatus::Unrecognised;
    }
    PnmHeader header;
    if (!ParseHeader(file, header) || header.width > MaxImageSide || header.height > MaxImageSide ||
        !TextureSizeAcceptable(static_cast<std::uint32_t>(header.width),
                               static_cast<std::uint32_t>(header.height))) {
        return ImageStatus::Corrupt;
    }
    const std::uint64_t samples = header.width * header.height * header.channels;
    if (header.dataOffset + samples > file.size()) {
        return ImageStatus::Corrupt;
    }

    const std::uint8_t* data = file.data() + header.dataOffset;
    const auto sample = [&](std::size_t index) -> std::uint32_t {
        const auto maximum = static_cast<std::uint32_t>(header.maximum);
        const std::uint32_t value = std::min<std::uint32_t>(data[index], maximum);
        return (value * 255 + maximum / 2) / maximum;
    };
    TextureLevel picture{static_cast<std::uint32_t>(header.width),
                         static_cast<std::uint32_t>(header.height),
                         std::vector<std::uint32_t>(header.width * header.height)};
    for (std::size_t i = 0; i < picture.texels.size(); ++i) {
        std::uint32_t red = 0;
        std::uint32_t green = 0;
        std::uint32_t blue = 0;
        if (header.channels == 3) {
            red = sample(3 * i);
            green = sample(3 * i + 1);
            blue = sample(3 * i + 2);
        } else {
            red = green = blue = sample(i);
        }
        picture.texels[i] = 0xFF000000u | (red << 16) | (green << 8) | blue;
    }
    image.hasAlpha = false;
    BuildMipChain(std::move(picture), image);
    return ImageStatus::Ok;
}

}  // namespace image
