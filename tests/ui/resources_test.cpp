#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stb/stb_image.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <vector>

#include "app/platform/win32/dialog_ids.h"
#include "app/platform/win32/dialog_units.h"
#include "app/platform/win32/icon_functions.h"
#include "app/platform/win32/resources.h"
#include "app/platform/win32/string_table.h"
#include "app/platform/win32/window_styles.h"
#include "ui/app_icon.h"
#include "ui/dialog_templates.h"
#include "ui/resource_ids.h"
#include "ui/resource_script.h"

namespace {

bool Inside(const win32::DialogRect& inner, const win32::DialogRect& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.cx <= outer.x + outer.cx &&
           inner.y + inner.cy <= outer.y + outer.cy;
}

bool Overlap(const win32::DialogRect& a, const win32::DialogRect& b) {
    return a.x < b.x + b.cx && b.x < a.x + a.cx && a.y < b.y + b.cy && b.y < a.y + a.cy;
}

TEST(ViewerResources, AreRegisteredUnderTheirIds) {
    win32::ClearResources();
    RegisterViewerResources();
    ASSERT_NE(win32::FindDialogTemplate(IDD_VIEWER), nullptr);
    ASSERT_NE(win32::FindDialogTemplate(IDD_ABOUT), nullptr);
    EXPECT_EQ(win32::FindDialogTemplate(IDD_VIEWER)->caption, "Velmora Explorer v0.1");
    EXPECT_EQ(win32::FindDialogTemplate(IDD_ABOUT)->caption, "About VelmoraExplorer");
    EXPECT_EQ(win32::FindResourceString(IDS_ABOUT_MENU), "&About KVX...");
    EXPECT_NE(LoadIcon(nullptr, IDI_APP), nullptr);
}

TEST(ViewerResources, IconHasALargeAndASmallImageOfSixteenColours) {
    const win32::IconResource icon = AppIcon();
    ASSERT_EQ(icon.images.size(), 2u);
    ASSERT_NE(icon.ImageFor(32, 32), nullptr);
    ASSERT_NE(icon.ImageFor(16, 16), nullptr);
    EXPECT_EQ(icon.ImageFor(32, 32)->width, 32);
    EXPECT_EQ(icon.ImageFor(16, 16)->width, 16);
    for (const win32::IconImage& image : icon.images) {
        EXPECT_TRUE(image.IsWellFormed());
        std::set<std::uint32_t> colours;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                colours.insert(image.ColorAt(x, y));
            }
        }
        // A picture, not a blank square: sky, snow, rock and grass at least.
        EXPECT_GE(colours.size(), 5u);
        EXPECT_LE(colours.size(), 16u);
    }
}

// An RGB image decoded from PNG bytes; empty when they do not decode.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xRRGGBB, rows top to bottom
};

RgbImage DecodePng(const std::vector<std::uint8_t>& png) {
    RgbImage image;
    int channels = 0;
    const std::unique_ptr<stbi_uc, void (*)(void*)> rgb(
        stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &image.width, &image.height,
                              &channels, 3),
        stbi_image_free);
    if (rgb) {
        for (int at = 0; at < image.width * image.height * 3; at += 3) {
            image.pixels.push_back((std::uint32_t{rgb.get()[at]} << 16) |
                                   (std::uint32_t{rgb.get()[at + 1]} << 8) | rgb.get()[at + 2]);
        }
    }
    return image;
}

TEST(ViewerResources, IconOffersTheLargerSizesAsPngAndTheInstalledSmallOnesAreItsOwnImages) {
    const win32::IconResource icon = AppIcon();
    EXPECT_TRUE(icon.IsWellFormed());
    std::vector<int> sizes;
    for (const std::vector<std::uint8_t>& png : icon.pngImages) {
        const RgbImage image = DecodePng(png);
        EXPECT_EQ(image.width, image.height);
        sizes.push_back(image.width);
        // The same picture as the small images: a sky of blue at the top, grass at the bottom.
        ASSERT_FALSE(image.pixels.empty());
        EXPECT_EQ(image.pixels.front(), 0x0000FFu);
        EXPECT_EQ(image.pixels.back(), 0x008000u);
    }
    EXPECT_THAT(sizes, testing::ElementsAre(48, 64, 128, 256));

    // The desktop's 16 and 32 pixel icons are IDI_APP's images pixel for pixel.
    for (int size : {16, 32}) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        std::ifstream file(std::filesystem::path(VELMORA_DATA_DIR) / "icons" / "hicolor" / name /
                               "apps" / VELMORA_APP_ID ".png",
                           std::ios::binary);
        const RgbImage installed = DecodePng(std::vector<std::uint8_t>(
            std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
        const win32::IconImage* own = icon.ImageFor(size, size);
        ASSERT_EQ(installed.width, size) << name;
        ASSERT_EQ(installed.height, size) << name;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                ASSERT_EQ(installed.pixels[static_cast<std::size_t>(y * size + x)],
                          own->ColorAt(x, y))
                    << name << " at " << x << ", " << y;
            }
        }
    }
}

TEST(ViewerResources, AnIconWithABrokenPngImageIsNotRegistered) {
    win32::IconResource icon = AppIcon();
    icon.pngImages.push_back({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0});
    EXPECT_FALSE(win32::RegisterIcon(999, std::move(icon)));
    EXPECT_EQ(win32::FindIcon(999), nullptr);
}

TEST(ViewerResources, ViewerLayoutFitsTheDialogAndLeavesTheViewportFree) {
    const win32::DialogTemplate viewer = ViewerDialogTemplate();
    const win32::DialogRect client{0, 0, viewer.rect.cx, viewer.rect.cy};
    EXPECT_EQ(viewer.rect.x, 0);
    EXPECT_EQ(viewer.rect.y, 0);
    ASSERT_EQ(viewer.controls.size(), 12u);

    const win32::DialogControlTemplate* viewport = nullptr;
    std::set<int> addressed;
    for (const win32::DialogControlTemplate& control : viewer.controls) {
        EXPECT_TRUE(Inside(control.rect, client)) << control.id;
        EXPECT_NE(control.style & WS_CHILD, 0u);
        if (control.id != IDC_STATIC) {
            EXPECT_TRUE(addressed.insert(control.id).second) << "duplicate id " << control.id;
        }
        if (control.id == IDC_VIEWPORT) {
            viewport = &control;
        }
    }
    ASSERT_NE(viewport, nullptr);
    EXPECT_TRUE(viewport->renderTarget);
    EXPECT_EQ(viewport->style & SS_NOTIFY, 0u) << "mouse input must pass through to the dialog";
    for (const win32::DialogControlTemplate& control : viewer.controls) {
        const bool visible = (control.style & WS_VISIBLE) != 0;
        if (&control != viewport && visible) {
            EXPECT_FALSE(Overlap(control.rect, viewport->rect)) << control.id << control.text;
        }
    }
    // Only the two hidden buttons are invisible, and the default one is OK.
    for (const win32::DialogControlTemplate& control : viewer.controls) {
        const bool hidden = (control.style & WS_VISIBLE) == 0;
        EXPECT_EQ(hidden, control.id == IDOK || control.id == IDCANCEL) << control.id;
        EXPECT_EQ((control.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON &&
                      control.kind == win32::WindowKind::Button,
                  control.id == IDOK);
    }
    // With the 8 pt base units the dialog fits a 1280 x 1024 screen.
    const RECT pixels = win32::DialogRectToPixels(client, win32::BaseUnits{});
    EXPECT_EQ(pixels.right, 917);
    EXPECT_EQ(pixels.bottom, 826);
}

TEST(ViewerResources, AboutBoxShowsTheIconTextAndADefaultOk) {
    const win32::DialogTemplate about = AboutDialogTemplate();
    ASSERT_EQ(about.controls.size(), 3u);
    EXPECT_EQ(about.controls[0].style & SS_TYPEMASK, SS_ICON);
    EXPECT_EQ(about.controls[0].iconId, IDI_APP);
    EXPECT_EQ(about.controls[1].text, "Velmora Explorer Version 1.0");
    EXPECT_EQ(about.controls[2].id, IDOK);
    EXPECT_EQ(about.controls[2].style & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    const win32::DialogRect client{0, 0, about.rect.cx, about.rect.cy};
    for (const win32::DialogControlTemplate& control : about.controls) {
        EXPECT_TRUE(Inside(control.rect, client));
        EXPECT_NE(control.style & WS_VISIBLE, 0u);
    }
}

}  // namespace
