#pragma once
// A whole RGBA picture held in memory (a rendered frame) as one PNG.

#include <cstdint>

#include "map/png_stream.h"

namespace map {

// Writes width x height pixels of four bytes, top row first, into `sink`. Throws MapError when
// the sink cannot take them.
void WriteRgbaPng(const std::uint8_t* rgba, std::uint32_t width, std::uint32_t height,
                  const ByteSink& sink);

}  // namespace map
