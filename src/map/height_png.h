#pragma once
// Heights as 16-bit grey pictures, the samples unchanged, laid out as the map lays out the world:
// heightmap row r across, column c down.

#include "map/png_stream.h"
#include "terrain/heightmap_samples.h"

namespace map {

class WorldRows;

// One sector, 127 x 127 pixels.
void WriteSectorHeightPng(const HeightmapSamples& samples, const ByteSink& sink);

// The whole world, rows.Width() by rows.Height(); places without a sector are 0.
void WriteWorldHeightPng(WorldRows& rows, const ByteSink& sink);

}  // namespace map
