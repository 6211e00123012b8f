#include "world/render/ground_image.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "image/image_test_files.h"
#include "support/deadline.h"
#include "support/temporary_prefix.h"

namespace {

namespace fs = std::filesystem;
using world::render::GroundImage;
using world::render::ReadGroundImage;

GroundImage ReadAs(const fs::path& path, const image_test::Bytes& bytes) {
    WriteFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return ReadGroundImage(path);
}

// Whatever format the viewer reads it from, the ground is the same picture, in RGBA, scaled to
// power-of-two sides as the viewer's texture holds it.
TEST(GroundImageTest, EveryFormatTheViewerReadsGivesTheViewersPicture) {
    TemporaryDirectory folder;
    const GroundImage plain = ReadAs(
        folder.path() / "plain", image_test::Png(4, 4, 3, image_test::Repeat({10, 20, 30}, 16)));
    ASSERT_EQ(plain.width, 4u);
    ASSERT_EQ(plain.height, 4u);
    for (std::size_t p = 0; p < plain.rgba.size(); p += 4) {
        ASSERT_EQ(std::vector<std::uint8_t>(plain.rgba.begin() + p, plain.rgba.begin() + p + 4),
                  (std::vector<std::uint8_t>{10, 20, 30, 255}));
    }

    const std::vector<std::uint8_t> rgb = {200, 0,  0,  0,   200, 0,   0, 0, 200,
                                           90,  90, 90, 255, 255, 255, 0, 0, 0};
    const GroundImage png = ReadAs(folder.path() / "png", image_test::Png(3, 2, 3, rgb));
    EXPECT_EQ(png.width, 4u);
    EXPECT_EQ(png.height, 2u);
    const std::vector<std::pair<std::string, image_test::Bytes>> others = {
        {"bmp", image_test::Bmp(3, 2, 3, rgb)},
        {"tga", image_test::Tga(3, 2, 3, rgb, true)},
        {"ppm", image_test::Ppm(3, 2, rgb)}};
    for (const auto& [name, bytes] : others) {
        const GroundImage other = ReadAs(folder.path() / name, bytes);
        EXPECT_EQ(other.width, png.width) << name;
        EXPECT_EQ(other.rgba, png.rgba) << name;
    }
}

TEST(GroundImageTest, WhatTheViewerCannotReadIsRefusedWithAReason) {
    TemporaryDirectory folder;
    const image_test::Bytes png = image_test::Png(8, 8, 3, image_test::Repeat({1, 2, 3}, 64));
    const std::vector<std::pair<std::string, image_test::Bytes>> files = {
        {"text", {'h', 'e', 'l', 'l', 'o'}},
        {"empty", {}},
        {"cut", image_test::Bytes(png.begin(), png.begin() + static_cast<long>(png.size() / 2))}};
    for (const auto& [name, bytes] : files) {
        EXPECT_THROW(ReadAs(folder.path() / name, bytes), std::runtime_error) << name;
    }
    fs::create_directory(folder.path() / "folder");
    EXPECT_THROW(ReadGroundImage(folder.path() / "folder"), std::runtime_error);
    ASSERT_EQ(mkfifo((folder.path() / "fifo").c_str(), 0600), 0);  // must not block
    ASSERT_TRUE(FinishesWithin(std::chrono::seconds(10), [&folder] {
        try {
            ReadGroundImage(folder.path() / "fifo");
        } catch (const std::runtime_error&) {
        }
    })) << "the read waits on a FIFO";
    EXPECT_THROW(ReadGroundImage(folder.path() / "fifo"), std::runtime_error);
    EXPECT_THROW(ReadGroundImage(folder.path() / "missing"), std::runtime_error);
}

}  // namespace
