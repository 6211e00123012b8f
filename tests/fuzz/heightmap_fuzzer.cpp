// Heightmap files of any length and content, read through the file layer as the viewer reads
// them: a refusal, or samples with everything the file does not supply set to 0.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>

#include "fuzz_support.h"
#include "terrain/heightmap_file.h"

// The samples are compared with the file byte for byte: little-endian, as the file is.
static_assert(std::endian::native == std::endian::little);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto& prefix = fuzz::TemporaryPrefix();
    {
        std::ofstream out(prefix / "drive_c" / "sector.hmp", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    HeightmapSamples samples;
    samples.fill(0xABCD);
    const bool read = ReadHeightmap("C:\\SECTOR.HMP", samples);
    fuzz::Require(read == (size > HeightmapHeaderSize));
    if (read) {
        const std::size_t supplied = std::min(size - HeightmapHeaderSize, HeightmapSampleBytes);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(samples.data());
        fuzz::Require(std::memcmp(bytes, data + HeightmapHeaderSize, supplied) == 0);
        for (std::size_t i = supplied; i < HeightmapSampleBytes; ++i) {
            fuzz::Require(bytes[i] == 0);
        }
    }
    return 0;
}
