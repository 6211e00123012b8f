#include "world_view/readouts.h"

#include <cmath>
#include <cstdio>

namespace world_view {

namespace {

// The viewer's own conversion, constant and all, so that both show the same digits.
double Degrees(double radians) {
    return radians * 0.5 / 3.14159265359 * 360;
}

template <class... Values>
std::string Formatted(const char* format, Values... values) {
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

std::string Grouped(std::size_t value) {
    std::string digits = std::to_string(value);
    for (std::size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, ",");
    }
    return digits;
}

// Sector A spans world units 1260 A to 1260 (A + 1).
long long SectorOf(double units) {
    return static_cast<long long>(std::floor(units / 1260.0));
}

}  // namespace

std::string AnglesText(const world::Camera& camera) {
    return Formatted("Z:%04.1f, Y:%04.1f", Degrees(camera.yaw), Degrees(camera.pitch));
}

std::string PositionText(const world::Camera& camera) {
    return Formatted("x:%07.1f, y:%07.1f, z:%07.1f", camera.x, camera.y, camera.z);
}

std::string CameraArgument(const world::Camera& camera) {
    return Formatted("%.3f,%.3f,%.3f,%.6f,%.6f", camera.x, camera.y, camera.z, camera.yaw,
                     camera.pitch);
}

std::string GroundText(double x, double y, std::uint16_t sample, double height) {
    return Formatted("sector %lld_%lld, sample %u, height %.1f, x %.1f, y %.1f", SectorOf(x),
                     SectorOf(y), static_cast<unsigned>(sample), height, x, y);
}

std::string HoleText(double x, double y) {
    return Formatted("no sector at %lld_%lld", SectorOf(x), SectorOf(y));
}

std::string UnreadableText(double x, double y) {
    return Formatted("sector %lld_%lld could not be read", SectorOf(x), SectorOf(y));
}

std::string OutsideText() {
    return "outside the world";
}

std::string LoadingText(std::size_t done, std::size_t total) {
    return "loading " + Grouped(done) + " of " + Grouped(total) + " sectors";
}

}  // namespace world_view
