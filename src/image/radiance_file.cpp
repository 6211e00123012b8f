#include "image/radiance_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string_view>

namespace image {

namespace {

using Bytes = std::span<const std::uint8_t>;

// Scanlines this wide or wider, or narrower than 8, are always stored flat.
constexpr std::uint64_t MinRunLengthWidth = 8;
constexpr std::uint64_t MaxRunLengthWidth = 32767;

struct RadianceHeader {
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    std::size_t dataOffset = 0;
};

// The next line without its '\n'; `at` moves past the '\n'.
std::string_view NextLine(Bytes file, std::size_t& at) {
    const std::size_t start = at;
    while (at < file.size() && file[at] != '\n') {
        ++at;
    }
    const std::string_view line(reinterpret_cast<const char*>(file.data()) + start, at - start);
    if (at < file.size()) {
        ++at;
    }
    return line;
}

// A decimal number of at most 9 digits after optional spaces; false for anything else.
bool ParseNumber(std::string_view& text, std::uint64_t& value) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    std::size_t digits = 0;
    value = 0;
    while (!text.empty() && text.front() >= '0' && text.front() <= '9') {
        if (++digits > 9) {
            return false;
        }
        value = value * 10 + static_cast<std::uint64_t>(text.front() - '0');
        text.remove_prefix(1);
    }
    return digits > 0;
}

// The signature line, header lines up to an empty one (one of them must name the RGBE format),
// then "-Y height +X width": rows top to bottom, pixels left to right.
bool ParseHeader(Bytes file, RadianceHeader& header) {
    std::size_t at = 0;
    const std::string_view signature = NextLine(file, at);
    if (signature != "#?RADIANCE" && signature != "#?RGBE") {
        return false;
    }
    bool rgbe = false;
    for (;;) {
        if (at >= file.size()) {
            return false;
        }
        const std::string_view line = NextLine(file, at);
        if (line.empty()) {
            break;
        }
        rgbe = rgbe || line == "FORMAT=32-bit_rle_rgbe";
    }
    std::string_view resolution = NextLine(file, at);
    if (!rgbe || resolution.substr(0, 3) != "-Y ") {
        return false;
    }
    resolution.remove_prefix(3);
    if (!ParseNumber(resolution, header.height)) {
        return false;
    }
    while (!resolution.empty() && resolution.front() == ' ') {
        resolution.remove_prefix(1);
    }
    if (resolution.substr(0, 3) != "+X ") {
        return false;
    }
    resolution.remove_prefix(3);
    if (!ParseNumber(resolution, header.width) || !resolution.empty()) {
        return false;
    }
    header.dataOffset = at;
    return true;
}

// One scanline's RGBE bytes, from flat pixels or four run-length encoded channels. False when
// the data is malformed or ends before the scanline does.
class ScanlineReader {
public:
    ScanlineReader(Bytes file, std::size_t at, std::uint64_t width)
        : file_(file), at_(at), width_(width) {}

    bool Read(std::uint8_t* rgbe) {
        const bool mayRunLength = width_ >= MinRunLengthWidth && width_ <= MaxRunLengthWidth;
        if (flat_ || !mayRunLength || !StartsRunLength()) {
            flat_ = true;  // one flat scanline means the whole picture is flat
            if (at_ + 4 * width_ > file_.size()) {
                return false;
            }
            std::memcpy(rgbe, file_.data() + at_, 4 * width_);
            at_ += 4 * width_;
            return true;
        }
        at_ += 4;
        for (std::size_t channel = 0; channel < 4; ++channel) {
            std::uint64_t x = 0;
            while (x < width_) {
                if (at_ >= file_.size()) {
                    return false;
                }
                const std::uint32_t count = file_[at_++];
                if (count > 128) {  // a run of one value
                    const std::uint32_t run = count - 128;
                    if (run > width_ - x || at_ >= file_.size()) {
                        return false;
                    }
                    for (std::uint32_t i = 0; i < run; ++i) {
                        rgbe[4 * (x + i) + channel] = file_[at_];
                    }
                    ++at_;
                    x += run;
                } else {  // `count` literal values; zero makes no progress
                    if (count == 0 || count > width_ - x || at_ + count > file_.size()) {
                        return false;
                    }
                    for (std::uint32_t i = 0; i < count; ++i) {
                        rgbe[4 * (x + i) + channel] = file_[at_ + i];
                    }
                    at_ += count;
                    x += count;
                }
            }
        }
        return true;
    }

private:
    // A run-length scanline starts 2, 2, then its width as a 15-bit big-endian number.
    bool StartsRunLength() const {
        return at_ + 4 <= file_.size() && file_[at_] == 2 && file_[at_ + 1] == 2 &&
               (file_[at_ + 2] & 0x80) == 0 &&
               ((std::uint64_t{file_[at_ + 2]} << 8) | file_[at_ + 3]) == width_;
    }

    Bytes file_;
    std::size_t at_;
    std::uint64_t width_;
    bool flat_ = false;
};

// Mantissa times 2^(exponent - 136), gamma 1/2.2, scaled to 0..255.
std::uint32_t ToneMap(std::uint32_t mantissa, std::uint32_t exponent) {
    if (exponent == 0) {
        return 0;
    }
    const double value =
        std::ldexp(static_cast<double>(mantissa), static_cast<int>(exponent) - 136);
    const double mapped = std::pow(value, 1.0 / 2.2) * 255.0 + 0.5;
    return static_cast<std::uint32_t>(std::clamp(mapped, 0.0, 255.0));
}

}  // namespace

bool IsRadianceFile(std::span<const std::uint8_t> file) {
    const auto startsWith = [&](std::string_view signature) {
        return file.size() >= signature.size() &&
               std::memcmp(file.data(), signature.data(), signature.size()) == 0;
    };
    return startsWith("#?RADIANCE\n") || startsWith("#?RGBE\n");
}

ImageStatus DecodeRadianceFile(std::span<const std::uint8_t> file, TextureImage& image) {
    image = TextureImage{};
    if (!IsRadianceFile(file)) {
        return ImageStatus::Unrecognised;
    }
    RadianceHeader header;
    if (!ParseHeader(file, header) || header.width == 0 || header.height == 0 ||
        header.width > MaxImageSide || header.height > MaxImageSide ||
        !TextureSizeAcceptable(static_cast<std::uint32_t>(header.width),
                               static_cast<std::uint32_t>(header.height))) {
        return ImageStatus::Corrupt;
    }
    // Every scanline must be in the file before the picture is allocated.
    std::vector<std::uint8_t> rgbe(4 * header.width);
    {
        ScanlineReader walk(file, header.dataOffset, header.width);
        for (std::uint64_t y = 0; y < header.height; ++y) {
            if (!walk.Read(rgbe.data())) {
                return ImageStatus::Corrupt;
            }
        }
    }

    TextureLevel picture{static_cast<std::uint32_t>(header.width),
                         static_cast<std::uint32_t>(header.height),
                         std::vector<std::uint32_t>(header.width * header.height)};
    ScanlineReader reader(file, header.dataOffset, header.width);
    std::uint32_t* texel = picture.texels.data();
    for (std::uint64_t y = 0; y < header.height; ++y) {
        reader.Read(rgbe.data());
        for (std::uint64_t x = 0; x < header.width; ++x) {
            const std::uint8_t* pixel = rgbe.data() + 4 * x;
            *texel++ = 0xFF000000u | (ToneMap(pixel[0], pixel[3]) << 16) |
                       (ToneMap(pixel[1], pixel[3]) << 8) | ToneMap(pixel[2], pixel[3]);
        }
    }
    image.hasAlpha = false;
    BuildMipChain(std::move(picture), image);
    return ImageStatus::Ok;
}

}  // namespace image
