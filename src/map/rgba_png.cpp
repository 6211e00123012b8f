#include "map/rgba_png.h"

#include <cstddef>

namespace map {

void WriteRgbaPng(const std::uint8_t* rgba, std::uint32_t width, std::uint32_t height,
                  const ByteSink& sink) {
    PngStream png(sink, width, height, PngPixels::Rgba8);
    for (std::uint32_t row = 0; row < height; ++row) {
        png.WriteRow(rgba + std::size_t{row} * png.RowBytes());
    }
}

}  // namespace map
