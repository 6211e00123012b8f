#pragma once
// IDI_APP's larger sizes, 48 to 256 pixels: the PNG icons of data/icons, built into the program
// (the build generates the definition from those files).

#include <cstdint>
#include <span>
#include <vector>

std::vector<std::span<const std::uint8_t>> AppIconLargeImages();
