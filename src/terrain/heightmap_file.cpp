#include "terrain/heightmap_file.h"

#include <bit>
#include <cstring>

#include <afx.h>

bool ReadHeightmap(const char* path, HeightmapSamples& samples) {
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::typeBinary)) {
        return false;
    }

    // The header lands in the sample block and is overwritten by the samples; its content is
    // never looked at.
    file.Read(samples.data(), static_cast<UINT>(HeightmapHeaderSize));

    // A short file must not leave header bytes or an earlier sector's samples behind: what the
    // file does not supply is 0.
    samples.fill(0);
    const UINT received = file.Read(samples.data(), static_cast<UINT>(HeightmapSampleBytes));
    if (received == 0) {
        file.Close();
        return false;
    }
    file.Close();

    if constexpr (std::endian::native == std::endian::big) {
        for (std::uint16_t& sample : samples) {
            sample = static_cast<std::uint16_t>((sample >> 8) | (sample << 8));
        }
    }
    return true;
}
