#pragma once
// Reads a sector's heightmap file as the viewer reads it: 24 header bytes, then up to 127 x 127
// little-endian samples; samples a short file lacks are 0. Only regular files are read (a FIFO
// or a directory named like a heightmap never blocks or fails oddly).

#include <filesystem>
#include <string>

#include "terrain/heightmap_samples.h"

namespace world {

// False, with the reason, when the file cannot be read or holds no samples.
bool ReadSectorFile(const std::filesystem::path& path, HeightmapSamples& samples,
                    std::string& reason);

}  // namespace world
