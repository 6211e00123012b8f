#pragma once
// Reading a sector's heightmap file: a 24-byte header, then 127 x 127 little-endian unsigned
// 16-bit samples in rows of 127.

#include "terrain/heightmap_samples.h"

// Reads the samples of the heightmap file at `path` (a Windows path) into `samples`. True when
// the file opened and the sample read delivered at least one byte; samples the file does not
// supply are 0. False when the file cannot be opened or holds no more than its header. A read
// error raised by the file layer (CFileException) passes through to the caller.
bool ReadHeightmap(const char* path, HeightmapSamples& samples);
