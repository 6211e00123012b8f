#include "world/relief_shading.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace world {

namespace {

constexpr std::array<std::string_view, 3> Names = {"height", "hillshade", "both"};

}  // namespace

std::string_view ShadingName(Shading shading) {
    return Names[static_cast<std::size_t>(shading)];
}

std::optional<Shading> ParseShading(std::string_view name) {
    for (std::size_t k = 0; k < Names.size(); ++k) {
        if (Names[k] == name) {
            return static_cast<Shading>(k);
        }
    }
    return std::nullopt;
}

std::uint8_t Hillshade(double slopeX, double slopeY) {
    // The upward normal of z = h(x, y) is (-dh/dx, -dh/dy, 1).
    const double length = std::sqrt(slopeX * slopeX + slopeY * slopeY + 1.0);
    const double lit = (-slopeX * LightX - slopeY * LightY + LightZ) / length;
    return static_cast<std::uint8_t>(std::lround(std::clamp(lit, 0.0, 1.0) * 255.0));
}

}  // namespace world
