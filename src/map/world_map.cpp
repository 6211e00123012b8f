#include "map/world_map.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "map/png_stream.h"
#include "map/world_rows.h"
#include "terrain/grid_constants.h"
#include "world/sector_place.h"

namespace map {

namespace {

using world::SectorStride;

// One world row with its presence flags.
struct SampleRow {
    std::vector<std::uint16_t> heights;
    std::vector<std::uint8_t> present;
};

// The light on each sample from its neighbours' heights on the mesh's spacing: GridSpacing
// between samples, HeightScale per sample unit.
class Hillshade {
public:
    // 0 (facing away) to 255 (facing the light) for sample x of `middle`.
    std::uint8_t Shade(const SampleRow& above, const SampleRow& middle, const SampleRow& below,
                       std::size_t x, std::size_t width) const {
        const double centre = middle.heights[x];
        const double slopeX =
            Slope(x > 0 && middle.present[x - 1] != 0, x > 0 ? middle.heights[x - 1] : 0,
                  x + 1 < width && middle.present[x + 1] != 0,
                  x + 1 < width ? middle.heights[x + 1] : 0, centre);
        const double slopeY = Slope(above.present[x] != 0, above.heights[x], below.present[x] != 0,
                                    below.heights[x], centre);
        return world::Hillshade(slopeX, slopeY);
    }

private:
    // World height change per world unit across a sample, from whichever neighbours exist.
    static double Slope(bool hasBefore, double before, bool hasAfter, double after, double centre) {
        const double low = hasBefore ? before : centre;
        const double high = hasAfter ? after : centre;
        const int steps = int{hasBefore} + int{hasAfter};
        return steps == 0 ? 0.0 : (high - low) * HeightScale / (steps * GridSpacing);
    }
};

bool OnSectorBorder(std::uint32_t first, std::uint32_t count) {
    // Some sample of [first, first + count) lies on a multiple of the sector stride.
    const std::uint32_t next = (first + SectorStride - 1) / SectorStride * SectorStride;
    return next < first + count;
}

}  // namespace

PngPixels MapPixelLayout(const MapStyle& style) {
    if (style.grid) {
        return PngPixels::Rgba8;
    }
    return style.opaque ? PngPixels::Grey8 : PngPixels::GreyAlpha8;
}

std::uint32_t MapPixels(std::uint32_t samples, std::uint32_t scale) {
    return (samples + scale - 1) / scale;
}

void DrawWorldMap(WorldRows& rows, const std::optional<ShadingRange>& range, MapStyle style,
                  PngStream& png) {
    const std::uint32_t width = rows.Width();
    const std::uint32_t height = rows.Height();
    const std::uint32_t scale = style.scale;
    const std::uint32_t pixelsX = MapPixels(width, scale);
    const std::uint32_t pixelsY = MapPixels(height, scale);
    const bool lit = style.shading != world::Shading::Height;
    const Hillshade hillshade;

    // Rows y - 1, y and y + 1 for the light; only y without it.
    std::array<SampleRow, 3> ring;
    for (SampleRow& row : ring) {
        row.heights.assign(width, 0);
        row.present.assign(width, 0);
    }
    const auto slot = [&](std::uint32_t y) -> SampleRow& { return ring[y % ring.size()]; };
    rows.Row(0, slot(0).heights.data(), slot(0).present.data());
    if (lit && height > 1) {
        rows.Row(1, slot(1).heights.data(), slot(1).present.data());
    }

    std::vector<std::uint32_t> greySum(pixelsX);
    std::vector<std::uint32_t> presentCount(pixelsX);
    PngRowPipeline pipeline(png);
    std::vector<std::uint8_t> greys(width);
    SampleRow empty{std::vector<std::uint16_t>(width), std::vector<std::uint8_t>(width)};

    for (std::uint32_t py = 0; py < pixelsY; ++py) {
        std::fill(greySum.begin(), greySum.end(), 0u);
        std::fill(presentCount.begin(), presentCount.end(), 0u);
        std::uint8_t* pixelRow = pipeline.NextRow();
        const std::uint32_t firstY = py * scale;
        const std::uint32_t countY = std::min(scale, height - firstY);
        for (std::uint32_t y = firstY; y < firstY + countY; ++y) {
            if (y > 0) {
                // Row y was read ahead for the light, or is read now.
                if (!lit) {
                    rows.Row(y, slot(y).heights.data(), slot(y).present.data());
                } else if (y + 1 < height) {
                    rows.Row(y + 1, slot(y + 1).heights.data(), slot(y + 1).present.data());
                }
            }
            const SampleRow& middle = slot(y);
            const SampleRow& above = y > 0 ? slot(y - 1) : empty;
            const SampleRow& below = y + 1 < height ? slot(y + 1) : empty;
            for (std::uint32_t x = 0; x < width; ++x) {
                std::uint32_t grey = 255;
                if (style.shading != world::Shading::Hillshade) {
                    grey = range->Shade(middle.heights[x]);
                }
                if (lit && middle.present[x] != 0) {
                    grey = world::Lit(grey, hillshade.Shade(above, middle, below, x, width));
                }
                greys[x] = static_cast<std::uint8_t>(middle.present[x] != 0 ? grey : 0);
            }
            if (scale == 1) {
                break;  // one sample row is the pixel row
            }
            std::uint32_t x = 0;
            for (std::uint32_t px = 0; px < pixelsX; ++px) {
                const std::uint32_t end = std::min(x + scale, width);
                for (; x < end; ++x) {
                    greySum[px] += greys[x];
                    presentCount[px] += middle.present[x];
                }
            }
        }
        if (scale == 1 && style.opaque && !style.grid) {
            std::copy(greys.begin(), greys.end(), pixelRow);
            continue;
        }
        if (scale == 1 && !style.grid) {
            const SampleRow& middle = slot(firstY);
            for (std::uint32_t x = 0; x < width; ++x) {
                pixelRow[2 * x] = greys[x];
                pixelRow[2 * x + 1] = middle.present[x] != 0 ? 255 : 0;
            }
            continue;
        }
        if (scale == 1) {
            const SampleRow& middle = slot(firstY);
            for (std::uint32_t x = 0; x < width; ++x) {
                greySum[x] = greys[x];
                presentCount[x] = middle.present[x];
            }
        }
        for (std::uint32_t px = 0; px < pixelsX; ++px) {
            const std::uint32_t countX = std::min(scale, width - px * scale);
            const std::uint32_t total = countX * countY;
            const std::uint32_t present = presentCount[px];
            const std::uint8_t grey =
                present == 0 ? 0 : static_cast<std::uint8_t>((greySum[px] + present / 2) / present);
            const std::uint8_t alpha =
                static_cast<std::uint8_t>((present * 255 + total / 2) / total);
            if (!style.grid && style.opaque) {
                pixelRow[px] = grey;
                continue;
            }
            if (!style.grid) {
                pixelRow[2 * px] = grey;
                pixelRow[2 * px + 1] = alpha;
                continue;
            }
            std::uint8_t* pixel = &pixelRow[4 * px];
            if (OnSectorBorder(px * scale, countX) || OnSectorBorder(firstY, countY)) {
                pixel[0] = 255;
                pixel[1] = 0;
                pixel[2] = 0;
                pixel[3] = 255;
            } else {
                pixel[0] = pixel[1] = pixel[2] = grey;
                pixel[3] = alpha;
            }
        }
    }
    pipeline.Finish();
}

}  // namespace map
