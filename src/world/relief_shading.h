#pragma once
// How ground is shaded: by height (the viewer's grey over the world's range), by light on its
// slopes (a hillshade), or both multiplied. The light comes from the north-west (towards -x and
// -y, the top left of a map's picture), 45 degrees up; the slopes are taken on the mesh's own
// spacing, so a 3D view and a map light a slope alike.

#include <cstdint>
#include <optional>
#include <string_view>

namespace world {

enum class Shading { Height, Hillshade, Both };

// "height", "hillshade", "both".
std::string_view ShadingName(Shading shading);
std::optional<Shading> ParseShading(std::string_view name);

// The light's direction, a unit vector towards it.
inline constexpr double LightX = -0.5;
inline constexpr double LightY = -0.5;
inline constexpr double LightZ = 0.70710678118654752;

// 0 (facing away from the light) to 255 (facing it) for ground rising slopeX world units per unit
// along x and slopeY along y.
std::uint8_t Hillshade(double slopeX, double slopeY);

// A height shade (0 to 255) lit by a hillshade: their product over 255.
inline std::uint8_t Lit(std::uint32_t grey, std::uint8_t hillshade) {
    return static_cast<std::uint8_t>(grey * hillshade / 255);
}

}  // namespace world
