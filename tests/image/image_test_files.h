#pragma once
// Image files made in memory for the texture loader's tests: stb_image_write for PNG, BMP, TGA,
// JPEG and HDR, and PPM and DDS bytes written by hand.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <stb/stb_image_write.h>

namespace image_test {

using Bytes = std::vector<std::uint8_t>;

inline void AppendTo(void* context, void* data, int size) {
    auto* bytes = static_cast<Bytes*>(context);
    const auto* begin = static_cast<const std::uint8_t*>(data);
    bytes->insert(bytes->end(), begin, begin + size);
}

inline Bytes Png(int width, int height, int channels, const std::vector<std::uint8_t>& pixels) {
    Bytes out;
    stbi_write_png_to_func(AppendTo, &out, width, height, channels, pixels.data(),
                           width * channels);
    return out;
}

inline Bytes Bmp(int width, int height, int channels, const std::vector<std::uint8_t>& pixels) {
    Bytes out;
    stbi_write_bmp_to_func(AppendTo, &out, width, height, channels, pixels.data());
    return out;
}

inline Bytes Tga(int width, int height, int channels, const std::vector<std::uint8_t>& pixels,
                 bool runLength) {
    Bytes out;
    const int previous = stbi_write_tga_with_rle;
    stbi_write_tga_with_rle = runLength ? 1 : 0;
    stbi_write_tga_to_func(AppendTo, &out, width, height, channels, pixels.data());
    stbi_write_tga_with_rle = previous;
    return out;
}

inline Bytes Jpeg(int width, int height, const std::vector<std::uint8_t>& rgb) {
    Bytes out;
    stbi_write_jpg_to_func(AppendTo, &out, width, height, 3, rgb.data(), 95);
    return out;
}

inline Bytes Hdr(int width, int height, const std::vector<float>& rgb) {
    Bytes out;
    stbi_write_hdr_to_func(AppendTo, &out, width, height, 3, rgb.data());
    return out;
}

inline Bytes Ppm(int width, int height, const std::vector<std::uint8_t>& rgb) {
    const std::string header =
        "P6\n# made by a test\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    Bytes out(header.begin(), header.end());
    out.insert(out.end(), rgb.begin(), rgb.end());
    return out;
}

// `count` copies of one pixel.
inline std::vector<std::uint8_t> Repeat(std::vector<std::uint8_t> pixel, int count) {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < count; ++i) {
        out.insert(out.end(), pixel.begin(), pixel.end());
    }
    return out;
}

inline void PutLe32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// A DDS header (128 bytes with the signature); `fourCC` empty for uncompressed RGB with the
// given bit count and masks (red, green, blue, alpha).
inline Bytes DdsHeader(std::uint32_t width, std::uint32_t height, std::uint32_t mipCount,
                       const char* fourCC, std::uint32_t bitCount = 0,
                       std::array<std::uint32_t, 4> masks = {}) {
    Bytes out(128, 0);
    std::memcpy(out.data(), "DDS ", 4);
    PutLe32(out, 4, 124);
    PutLe32(out, 8, 0x1 | 0x2 | 0x4 | 0x1000 | (mipCount > 1 ? 0x20000 : 0));
    PutLe32(out, 12, height);
    PutLe32(out, 16, width);
    PutLe32(out, 28, mipCount);
    PutLe32(out, 76, 32);
    if (fourCC != nullptr) {
        PutLe32(out, 80, 0x4);
        std::memcpy(out.data() + 84, fourCC, 4);
    } else {
        PutLe32(out, 80, 0x40 | (masks[3] != 0 ? 0x1 : 0));
        PutLe32(out, 88, bitCount);
        for (int i = 0; i < 4; ++i) {
            PutLe32(out, 92 + 4 * i, masks[i]);
        }
    }
    PutLe32(out, 108, 0x1000 | (mipCount > 1 ? 0x400008 : 0));
    return out;
}

inline Bytes Concat(Bytes head, const Bytes& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

}  // namespace image_test
