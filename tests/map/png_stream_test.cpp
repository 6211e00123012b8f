// PNG writing into a sink of bytes: what reaches the sink reads back as the rows given, and what
// goes wrong is said as the map library's failure.

#include "map/png_stream.h"

#include <gtest/gtest.h>
#include <spng.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "map/map_error.h"

namespace {

// The 16-bit grey samples of a PNG in memory, in host order.
std::vector<std::uint16_t> DecodeGrey16(const std::vector<std::uint8_t>& png, spng_ihdr& header) {
    std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> context(spng_ctx_new(0), spng_ctx_free);
    EXPECT_EQ(spng_set_png_buffer(context.get(), png.data(), png.size()), 0);
    EXPECT_EQ(spng_get_ihdr(context.get(), &header), 0);
    std::size_t size = 0;
    EXPECT_EQ(spng_decoded_image_size(context.get(), SPNG_FMT_PNG, &size), 0);
    std::vector<std::uint16_t> samples(size / 2);
    EXPECT_EQ(spng_decode_image(context.get(), samples.data(), size, SPNG_FMT_PNG, 0), 0);
    return samples;
}

TEST(PngStreamTest, RowsReachTheSinkAsOnePngThatReadsBackUnchanged) {
    std::vector<std::uint8_t> bytes;
    {
        map::PngStream png(
            [&bytes](const void* data, std::size_t size) {
                const auto* first = static_cast<const std::uint8_t*>(data);
                bytes.insert(bytes.end(), first, first + size);
            },
            3, 2, map::PngPixels::Grey16);
        ASSERT_EQ(png.RowBytes(), 6u);
        const std::uint16_t top[] = {0, 1000, 65535};
        const std::uint16_t bottom[] = {258, 7, 40000};
        png.WriteRow(top);
        png.WriteRow(bottom);
    }
    spng_ihdr header{};
    const std::vector<std::uint16_t> samples = DecodeGrey16(bytes, header);
    EXPECT_EQ(header.width, 3u);
    EXPECT_EQ(header.height, 2u);
    EXPECT_EQ(header.bit_depth, 16);
    EXPECT_EQ(header.color_type, SPNG_COLOR_TYPE_GRAYSCALE);
    EXPECT_EQ(samples, (std::vector<std::uint16_t>{0, 1000, 65535, 258, 7, 40000}));
}

TEST(PngStreamTest, WhatTheSinkSaysWhenItCannotTakeTheBytesIsTheStreamsFailure) {
    std::size_t taken = 0;
    const auto failing = [&taken](const void*, std::size_t size) {
        if (taken > 0) {
            throw std::runtime_error("cannot write out.png: No space left on device");
        }
        taken += size;
    };
    try {
        map::PngStream png(failing, 64, 64, map::PngPixels::Rgba8);
        const std::vector<std::uint8_t> row(png.RowBytes(), 0x5a);
        for (int y = 0; y < 64; ++y) {
            png.WriteRow(row.data());
        }
        FAIL() << "the sink's failure was not passed on";
    } catch (const map::MapError& failure) {
        EXPECT_STREQ(failure.what(), "cannot write out.png: No space left on device");
    }
}

TEST(PngStreamTest, MoreRowsThanTheImageHoldsFail) {
    map::PngStream png([](const void*, std::size_t) {}, 1, 1, map::PngPixels::Grey8);
    const std::uint8_t row[] = {7};
    png.WriteRow(row);
    try {
        png.WriteRow(row);
        FAIL() << "a second row of a one-row image was taken";
    } catch (const map::MapError& failure) {
        EXPECT_STREQ(failure.what(), "more PNG rows than the image holds");
    }
}

}  // namespace
