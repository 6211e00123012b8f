// The world renderer on hand-made patches: ground far from the world's origin drawn as near it,
// absent points leaving their triangles out, and the patch buffers kept under their budget.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "gl/headless_context.h"
#include "gl/offscreen_framebuffer.h"
#include "world/render/world_renderer.h"

namespace {

using world::render::GroundImage;
using world::render::WorldRenderer;

constexpr int Size = 128;

world::TerrainPatch MakePatch(std::uint64_t key, std::int64_t originX, std::int64_t originY,
                              int side, const std::function<std::uint16_t(int, int)>& height) {
    auto heights = std::make_shared<std::vector<std::uint16_t>>();
    for (int i = 0; i < side; ++i) {
        for (int j = 0; j < side; ++j) {
            heights->push_back(height(i, j));
        }
    }
    world::TerrainPatch patch;
    patch.key = key;
    patch.originX = originX;
    patch.originY = originY;
    patch.side = side;
    patch.heights = std::move(heights);
    patch.skirtDepth = 100.0f;
    return patch;
}

class WorldRendererTest : public testing::Test {
protected:
    std::vector<std::uint8_t> Draw(const std::vector<world::TerrainPatch>& patches,
                                   const world::Camera& camera) {
        renderer_.Draw({patches, 0}, camera, range_, target_.name(), Size, Size);
        return target_.ReadPixels();
    }

    static bool IsClear(const std::vector<std::uint8_t>& rgba, int x, int y) {
        const std::uint8_t* pixel = &rgba[(std::size_t(y) * Size + x) * 4];
        return pixel[0] == 0 && pixel[1] == 0 && pixel[2] == 255;
    }

    gl::HeadlessContext context_;
    gl::OffscreenFramebuffer target_{Size, Size, gl::ClipOrigin::UpperLeft};
    WorldRenderer renderer_{std::size_t{40000}};  // one 127 x 127 patch's samples, not two
    ShadingRange range_{200, 3000};
};

TEST_F(WorldRendererTest, GroundFarFromTheOriginIsDrawnAsNearIt) {
    // Sharp ridges every other sample and a fine texture: a shift of a fraction of a sample or a
    // texel would show. Positions in world floats would be off by up to a unit out here.
    GroundImage checker{8, 8, {}};
    for (int p = 0; p < 64; ++p) {
        const bool light = (p % 8 + p / 8) % 2 == 0;
        checker.rgba.insert(checker.rgba.end(), {light ? std::uint8_t(250) : std::uint8_t(20),
                                                 std::uint8_t(128), std::uint8_t(60), 255});
    }
    renderer_.SetGroundTexture(checker);
    const auto ridges = [](int i, int j) {
        return std::uint16_t((i + 2 * j) % 3 == 0 ? 900 : 300);
    };
    // Sector 12000_9000 and 3 samples on, so that the texture's phase is 3 in both.
    constexpr std::int64_t FarX = 126 * 12000 + 3;
    constexpr std::int64_t FarY = 126 * 9000 + 3;
    const world::Camera near{333.37, 341.81, 260.0, 0.4, 2.7};
    world::Camera far = near;
    far.x += 10.0 * (FarX - 3);
    far.y += 10.0 * (FarY - 3);
    const std::vector<std::uint8_t> nearPicture = Draw({MakePatch(1, 3, 3, 65, ridges)}, near);
    const std::vector<std::uint8_t> farPicture = Draw({MakePatch(2, FarX, FarY, 65, ridges)}, far);
    std::size_t differing = 0;
    std::size_t clear = 0;
    for (std::size_t p = 0; p < nearPicture.size(); p += 4) {
        differing += std::abs(nearPicture[p] - farPicture[p]) > 2 ? 1 : 0;
        clear += IsClear(nearPicture, int(p / 4 % Size), int(p / 4 / Size)) ? 1 : 0;
    }
    EXPECT_LT(clear, std::size_t{Size * Size / 2}) << "the ground should fill most of the frame";
    EXPECT_LE(differing, std::size_t{Size * Size / 500});
}

TEST_F(WorldRendererTest, AbsentPointsTakeTheirTrianglesAlong) {
    // A flat 9 x 9 patch without its middle point (4, 4), seen from straight above it: 2.57
    // pixels a unit, the point at the picture's middle.
    world::TerrainPatch patch = MakePatch(1, 0, 0, 9, [](int, int) { return std::uint16_t(1000); });
    auto present = std::make_shared<std::vector<std::uint8_t>>(81, std::uint8_t{1});
    (*present)[4 * 9 + 4] = 0;
    patch.present = present;
    const std::vector<std::uint8_t> picture = Draw({patch}, {40.0, 40.0, 310.0, 0.0, 3.14159265});
    // 128 triangles less the six around the point.
    EXPECT_EQ(renderer_.LastFrame().triangles, 122u);
    const auto pixelOf = [](double world) { return int(64.0 + (world - 40.0) * 64 * 2.4142 / 60); };
    const auto clearAt = [&](double x, double y) {
        return IsClear(picture, pixelOf(x), pixelOf(y));
    };
    EXPECT_TRUE(clearAt(40, 40));
    EXPECT_TRUE(clearAt(45, 45));  // cell (4, 4), both halves gone
    // Cell (3, 4) is cut from (3, 4) to (4, 5): the half on (4, 4)'s side is gone.
    EXPECT_TRUE(clearAt(37, 43));
    EXPECT_FALSE(clearAt(33, 47));
    EXPECT_FALSE(clearAt(25, 25));
    EXPECT_FALSE(clearAt(55, 28));
}

TEST_F(WorldRendererTest, PatchBuffersStayUnderTheirBudgetAndFollowNewVersions) {
    const auto flat = [](std::uint16_t h) { return [h](int, int) { return h; }; };
    const world::TerrainPatch a = MakePatch(1, 0, 0, 127, flat(500));
    const world::TerrainPatch b = MakePatch(2, 126, 0, 127, flat(500));
    const world::Camera above{1260.0, 630.0, 4000.0, 0.0, 3.1};

    Draw({a, b}, above);  // both needed at once: kept over the budget for this frame
    EXPECT_EQ(renderer_.LastFrame().uploads, 2u);
    EXPECT_EQ(renderer_.LastFrame().patches, 2u);
    // Neighbours that share their points hang no skirt between them.
    EXPECT_EQ(renderer_.LastFrame().triangles, 2u * 126 * 126 * 2);
    const std::size_t both = renderer_.LastFrame().bufferBytes;

    Draw({a}, above);  // b, the least recently used, goes
    EXPECT_EQ(renderer_.LastFrame().uploads, 0u);
    EXPECT_EQ(renderer_.LastFrame().bufferBytes, both / 2);

    const std::vector<std::uint8_t> before = Draw({b}, above);
    EXPECT_EQ(renderer_.LastFrame().uploads, 1u);

    world::TerrainPatch changed = MakePatch(2, 126, 0, 127, flat(2500));
    changed.version = 1;
    const std::vector<std::uint8_t> after = Draw({changed}, above);
    EXPECT_EQ(renderer_.LastFrame().uploads, 1u);
    EXPECT_NE(before, after) << "the new version's heights should be drawn";
}

}  // namespace
