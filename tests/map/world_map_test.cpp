// The map's light: each sample is lit by the relief shading for the slope its neighbours give,
// x along the picture's columns and y down its rows, so that ground rising towards the south-east
// (facing the north-west light) is bright and ground falling that way is dark.

#include "map/world_map.h"

#include <gtest/gtest.h>
#include <spng.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "map/map_layout.h"
#include "map/png_stream.h"
#include "map/world_rows.h"
#include "support/temporary_prefix.h"
#include "terrain/grid_constants.h"
#include "world/world_files.h"

namespace {

// The hillshaded map of one sector 0_0 of `ground`, one grey a sample, row y at y * width.
std::vector<std::uint8_t> HillshadeMap(const world_test::SampleFunction& ground,
                                       std::uint32_t& width) {
    TemporaryDirectory folder;
    map::MapLayout layout = map::LayOutMap({world_test::WriteSector(folder.path(), "0_0", ground)});
    map::WorldRows rows(layout,
                        [](std::size_t, const std::string& reason) { ADD_FAILURE() << reason; });
    map::MapStyle style;
    style.shading = world::Shading::Hillshade;
    style.opaque = true;
    std::vector<std::uint8_t> png;
    {
        map::PngStream stream(
            [&png](const void* data, std::size_t size) {
                const auto* first = static_cast<const std::uint8_t*>(data);
                png.insert(png.end(), first, first + size);
            },
            rows.Width(), rows.Height(), map::MapPixelLayout(style));
        map::DrawWorldMap(rows, std::nullopt, style, stream);
    }
    width = rows.Width();
    std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> context(spng_ctx_new(0), spng_ctx_free);
    spng_set_png_buffer(context.get(), png.data(), png.size());
    std::size_t size = 0;
    EXPECT_EQ(spng_decoded_image_size(context.get(), SPNG_FMT_G8, &size), 0);
    std::vector<std::uint8_t> greys(size);
    EXPECT_EQ(spng_decode_image(context.get(), greys.data(), size, SPNG_FMT_G8, 0), 0);
    return greys;
}

struct Slope {
    const char* ground;
    std::function<int(int x, int y)> height;  // in samples
    int perSampleX;                           // its rise in samples from one sample to the next
    int perSampleY;
};

TEST(WorldMapTest, EachSampleIsLitForTheSlopeAroundItFacingTheNorthWestLight) {
    const Slope slopes[] = {
        {"rising to the east", [](int x, int) { return 1000 + 8 * x; }, 8, 0},
        {"falling to the east", [](int x, int) { return 2000 - 8 * x; }, -8, 0},
        {"rising to the south", [](int, int y) { return 1000 + 8 * y; }, 0, 8},
        {"falling to the south", [](int, int y) { return 2000 - 8 * y; }, 0, -8},
        {"rising to the north-east", [](int x, int y) { return 2000 + 12 * x - 4 * y; }, 12, -4},
    };
    const double unitsPerSample = HeightScale / GridSpacing;
    for (const Slope& slope : slopes) {
        std::uint32_t width = 0;
        const std::vector<std::uint8_t> map = HillshadeMap(
            [&slope](int r, int c) { return static_cast<std::uint16_t>(slope.height(r, c)); },
            width);
        ASSERT_EQ(map.size(), std::size_t{width} * width) << slope.ground;
        const int expected =
            world::Hillshade(slope.perSampleX * unitsPerSample, slope.perSampleY * unitsPerSample);
        // Inside the sector, where each sample has neighbours on all sides.
        std::size_t wrong = 0;
        std::string first;
        for (std::uint32_t y = 1; y + 1 < width; ++y) {
            for (std::uint32_t x = 1; x + 1 < width; ++x) {
                const int seen = map[y * width + x];
                if (seen != expected && wrong++ == 0) {
                    first =
                        std::to_string(x) + "_" + std::to_string(y) + " is " + std::to_string(seen);
                }
            }
        }
        EXPECT_EQ(wrong, 0u) << slope.ground << ": expected " << expected << ", " << first;
    }
}

}  // namespace
