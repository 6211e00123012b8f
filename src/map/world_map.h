#pragma once
// The picture of a whole world: every sector at its place, shaded by height, by light, or both.

#include <cstdint>
#include <optional>

#include "map/png_stream.h"
#include "terrain/shading_range.h"
#include "world/relief_shading.h"

namespace map {

class WorldRows;

struct MapStyle {
    world::Shading shading = world::Shading::Height;
    std::uint32_t scale = 1;  // world samples per pixel along each side, averaged
    bool grid = false;        // sector borders drawn in red
    bool opaque = false;      // every place holds a sector: no alpha is written
};

// The pixel layout DrawWorldMap writes for a style.
PngPixels MapPixelLayout(const MapStyle& style);

// Pixels of the map along x and y for a world of `samples` along that side.
std::uint32_t MapPixels(std::uint32_t samples, std::uint32_t scale);

// Draws the map row by row into png (laid out as MapPixelLayout says), MapPixels() of
// rows.Width() by rows.Height(). range is the world's shading range, needed by the height and
// both shadings. Places without a sector are transparent.
void DrawWorldMap(WorldRows& rows, const std::optional<ShadingRange>& range, MapStyle style,
                  PngStream& png);

}  // namespace map
