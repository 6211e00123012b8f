#include "map/height_png.h"

#include <cstdint>
#include <vector>

#include "map/world_rows.h"
#include "terrain/grid_constants.h"

namespace map {

void WriteSectorHeightPng(const HeightmapSamples& samples, const ByteSink& sink) {
    PngStream png(sink, GridSide, GridSide, PngPixels::Grey16);
    std::vector<std::uint16_t> row(GridSide);
    for (int c = 0; c < GridSide; ++c) {
        for (int r = 0; r < GridSide; ++r) {
            row[static_cast<std::size_t>(r)] = samples[SampleIndex(r, c)];
        }
        png.WriteRow(row.data());
    }
}

void WriteWorldHeightPng(WorldRows& rows, const ByteSink& sink) {
    PngStream png(sink, rows.Width(), rows.Height(), PngPixels::Grey16);
    std::vector<std::uint16_t> heights(rows.Width());
    std::vector<std::uint8_t> present(rows.Width());
    for (std::uint32_t y = 0; y < rows.Height(); ++y) {
        rows.Row(y, heights.data(), present.data());
        png.WriteRow(heights.data());
    }
}

}  // namespace map
