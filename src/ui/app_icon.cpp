#include "ui/app_icon.h"

#include "ui/app_icon_images.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace {

// The sixteen colours of the standard Windows palette, 0x00RRGGBB, by index.
constexpr std::array<std::uint32_t, 16> StandardPalette{
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

// A mountain range under a sky with a sun: one hexadecimal palette index per pixel, blue sky
// (C, E), yellow sun (B), snow (F), rock in shade and in light (8, 7), grass (A, 2).
constexpr std::string_view LargeArt[] = {
    "CCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCC", "CCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCC",
    "CCCCCCCCCCCCCCCCCCCCCCCCCBBBBCCC", "CCCCCCCCCCCCCCCCCCCCCCCCCBBBBBCC",
    "CCCCCCCCCCCCCCCCCCCCCCCCBBBBBBCC", "EEEEEEEEEEEEEEEEEEEEEEEEBBBBBBEE",
    "EEEEEEEEEEEEFEEEEEEEEEEEEBBBBBEE", "EEEEEEEEEEEEFFEEEEEEEEEEEEBBEEEE",
    "EEEEEEEEEEEFFFEEEEEEEEEEEEEEEEEE", "EEEEEEEEEEEFFFFEEEEEEEEEEEEEEEEE",
    "EEEEEEEEEEFFFFFEEEEEEEEEEEEEEEEE", "EEEEEEEEEEFFFFFFEEEEEEEEEEEEEEEE",
    "EEEEEEEEE8888777EEEEEEEEEEEEEEEE", "EEEEEEEEE88887777EEEEEEEEEEEEEEE",
    "EEEEEEEE888887777EEEEEEEFFEEEEEE", "EEEEEEEE8888877777EEEEEFFFFEEEEE",
    "EEEEEEE88888877777EEEEEFFFFEEEEE", "EEEEEEE888888777777EEE888777EEEE",
    "EEEEEE88888887777777EE888777EEEE", "EEEEEE88888887777777E88887777EEE",
    "EEEEE888888887777777888887777EEE", "EEEEE8888888877777778888877777EE",
    "EEEE888888888777777788888777777E", "EEE8888888888777777788888777777E",
    "EEAAAAAAA888877777778888AAAAAAAA", "AAAAAAAAAAAAA7777777AAAAAAAAAAAA",
    "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA", "AAA22222AAAAAAAAAAAAAAAAA222222A",
    "222222222222AAAAAAAAA22222222222", "22222222222222222222222222222222",
    "22222222222222222222222222222222", "22222222222222222222222222222222",
};

constexpr std::string_view SmallArt[] = {
    "CCCCCCCCCCCCCCCC", "CCCCCCCCCCCCBBBC", "EEEEEEEEEEEEBBBE", "EEEEEEFEEEEEEBBE",
    "EEEEEEFEEEEEEEEE", "EEEEEFFFEEEEEEEE", "EEEE8877EEEEFEEE", "EEEE88777EEEFEEE",
    "EEE888777EE877EE", "EEE8887777E877EE", "EE8888777788777E", "EE8888777788777E",
    "AAAAAA77778AAAAA", "AAAAAAAAAAAAAAAA", "2222222AA2222222", "2222222222222222",
};

int PaletteIndex(char digit) {
    return digit <= '9' ? digit - '0' : digit - 'A' + 10;
}

win32::IconImage ImageFromArt(std::span<const std::string_view> rows) {
    win32::IconImage image;
    image.height = static_cast<int>(rows.size());
    image.width = static_cast<int>(rows.front().size());
    image.palette = StandardPalette;
    for (std::string_view row : rows) {
        for (char digit : row) {
            image.colorIndices.push_back(static_cast<BYTE>(PaletteIndex(digit)));
        }
    }
    // The picture fills its square: no pixel is transparent.
    image.transparent.assign(image.colorIndices.size(), false);
    return image;
}

}  // namespace

win32::IconResource AppIcon() {
    win32::IconResource icon{{ImageFromArt(LargeArt), ImageFromArt(SmallArt)}, {}};
    for (std::span<const std::uint8_t> png : AppIconLargeImages()) {
        icon.pngImages.emplace_back(png.begin(), png.end());
    }
    return icon;
}
