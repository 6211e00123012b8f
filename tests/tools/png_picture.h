#pragma once
// A PNG that velmora wrote, decoded with libspng for the tests to look at.

#include <gtest/gtest.h>
#include <spng.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tools/velmora_process.h"

struct Picture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> bytes;  // in the decoded format

    // Pixel (x, y) of an SPNG_FMT_RGBA8 picture.
    const std::uint8_t* Rgba(std::uint32_t x, std::uint32_t y) const {
        return &bytes[(std::size_t{y} * width + x) * 4];
    }
};

// Decodes a PNG with libspng into `format` (SPNG_FMT_RGBA8, or SPNG_FMT_PNG for 16-bit grey).
inline Picture DecodePng(const std::filesystem::path& path, int format) {
    const std::string file = velmora_process::ReadWhole(path);
    std::unique_ptr<spng_ctx, void (*)(spng_ctx*)> context(spng_ctx_new(0), spng_ctx_free);
    Picture picture;
    spng_ihdr header{};
    std::size_t size = 0;
    if (spng_set_png_buffer(context.get(), file.data(), file.size()) != 0 ||
        spng_get_ihdr(context.get(), &header) != 0 ||
        spng_decoded_image_size(context.get(), format, &size) != 0) {
        ADD_FAILURE() << "not a PNG: " << path;
        return picture;
    }
    picture.width = header.width;
    picture.height = header.height;
    picture.bytes.resize(size);
    EXPECT_EQ(spng_decode_image(context.get(), picture.bytes.data(), size, format, 0), 0);
    return picture;
}
