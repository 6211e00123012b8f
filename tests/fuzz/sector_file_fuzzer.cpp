// Heightmap files of any length and content, read by the world's reader: a refusal for a file
// without samples, else the file's samples with everything it does not supply set to 0.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz_support.h"
#include "world/sector_file.h"

static_assert(std::endian::native == std::endian::little);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::MemoryFile file({data, size});
    HeightmapSamples samples;
    samples.fill(0xABCD);
    std::string reason;
    const bool read = world::ReadSectorFile(file.Path(), samples, reason);
    fuzz::Require(read == (size > HeightmapHeaderSize));
    fuzz::Require(read || !reason.empty());
    if (read) {
        const std::size_t supplied = std::min(size - HeightmapHeaderSize, HeightmapSampleBytes);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(samples.data());
        fuzz::Require(std::memcmp(bytes, data + HeightmapHeaderSize, supplied) == 0);
        fuzz::Require(std::all_of(bytes + supplied, bytes + HeightmapSampleBytes,
                                  [](std::uint8_t byte) { return byte == 0; }));
    }
    return 0;
}
