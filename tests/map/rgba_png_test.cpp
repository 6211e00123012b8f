// A rendered picture as one PNG: its rows in order, its four channels as given.

#include "map/rgba_png.h"

#include <gtest/gtest.h>
#include <spng.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

TEST(RgbaPngTest, ThePictureReadsBackUnchangedTopRowFirst) {
    struct Size {
        std::uint32_t width;
        std::uint32_t height;
    };
    for (const Size size : {Size{1, 1}, Size{3, 2}, Size{17, 5}}) {
        std::vector<std::uint8_t> rgba(std::size_t{size.width} * size.height * 4);
        for (std::size_t i = 0; i < rgba.size(); ++i) {
            rgba[i] = static_cast<std::uint8_t>(i * 37 + i / 4);
        }
        std::vector<std::uint8_t> png;
        map::WriteRgbaPng(rgba.data(), size.width, size.height,
                          [&png](const void* data, std::size_t count) {
                              const auto* first = static_cast<const std::uint8_t*>(data);
                              png.insert(png.end(), first, first + count);
                          });

        std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> context(spng_ctx_new(0), spng_ctx_free);
        ASSERT_EQ(spng_set_png_buffer(context.get(), png.data(), png.size()), 0);
        spng_ihdr header{};
        ASSERT_EQ(spng_get_ihdr(context.get(), &header), 0);
        EXPECT_EQ(header.width, size.width);
        EXPECT_EQ(header.height, size.height);
        EXPECT_EQ(header.color_type, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA);
        std::vector<std::uint8_t> decoded(rgba.size());
        ASSERT_EQ(
            spng_decode_image(context.get(), decoded.data(), decoded.size(), SPNG_FMT_RGBA8, 0), 0);
        EXPECT_EQ(decoded, rgba) << size.width << "x" << size.height;
    }
}

}  // namespace
