// The headless canvas: a picture of its own size, the clear colour where no ground is, and the
// shading chosen.

#include "world/render/headless_canvas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "world/overview_camera.h"

namespace {

using world::render::HeadlessCanvas;

// A slope of 65 x 65 samples rising along i, at the world's origin.
world::TerrainPatch Slope() {
    auto heights = std::make_shared<std::vector<std::uint16_t>>();
    for (int i = 0; i < 65; ++i) {
        for (int j = 0; j < 65; ++j) {
            heights->push_back(static_cast<std::uint16_t>(300 + 20 * i + (j % 5) * 40));
        }
    }
    world::TerrainPatch patch;
    patch.key = 1;
    patch.side = 65;
    patch.heights = std::move(heights);
    return patch;
}

bool IsClear(const std::vector<std::uint8_t>& rgba, std::size_t pixel) {
    return rgba[4 * pixel] == 0 && rgba[4 * pixel + 1] == 0 && rgba[4 * pixel + 2] == 255;
}

TEST(HeadlessCanvasTest, DrawsTheGroundIntoAPictureOfItsOwnSize) {
    HeadlessCanvas canvas(96, 40, std::size_t{1} << 20);
    EXPECT_EQ(canvas.Width(), 96);
    EXPECT_EQ(canvas.Height(), 40);
    const ShadingRange range{300, 2000};
    // South of the slope, looking north and down at its middle.
    const world::Camera above = world::LookingAlong(320.0, -100.0, 700.0, 0.0, 1.0, 0.84);

    canvas.Draw({{}, 0}, above, range);
    const std::vector<std::uint8_t> empty = canvas.Pixels();
    ASSERT_EQ(empty.size(), 96u * 40u * 4u);
    for (std::size_t pixel = 0; pixel < 96u * 40u; ++pixel) {
        ASSERT_TRUE(IsClear(empty, pixel)) << pixel;
    }

    canvas.Draw({{Slope()}, 0}, above, range);
    const std::vector<std::uint8_t> height = canvas.Pixels();
    EXPECT_FALSE(IsClear(height, 20 * 96 + 48));
    EXPECT_EQ(canvas.Stats().patches, 1u);

    canvas.SetShading(world::Shading::Hillshade);
    canvas.Draw({{Slope()}, 0}, above, range);
    EXPECT_NE(canvas.Pixels(), height);
}

}  // namespace
