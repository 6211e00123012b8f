// The world's summary cache file, any bytes: refused, or entries that write back to exactly the
// bytes they came from (nothing is half-read or invented).

#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz_support.h"
#include "world/summary_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const auto entries = world::ParseSummaryFile(bytes);
    if (entries) {
        const std::vector<std::uint8_t> again = world::SerialiseSummaryFile(*entries);
        fuzz::Require(std::equal(again.begin(), again.end(), bytes.begin(), bytes.end()));
    }
    return 0;
}
