// system.reg lookups: whatever the file holds, every key gets the same answer from a 1 MiB read
// buffer and from small ones that move every line across the reads.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/platform/wine/registry_hive_file.h"
#include "fuzz_support.h"

namespace {

std::string Answer(const std::optional<std::vector<wine::RegistryValue>>& values) {
    if (!values) {
        return "(no key)";
    }
    std::string text;
    for (const wine::RegistryValue& value : *values) {
        text += value.name + '|' + std::to_string(value.type) + '|' + value.data + '\n';
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::MemoryFile file({data, size});
    const std::string path = file.Path();
    for (const char* key : {"Software\\MolvaneStudios\\Quarlend", "Software\\Wine", "A\\B", ""}) {
        const std::string expected = Answer(wine::ReadRegistryKey(path, key));
        for (const std::size_t bufferBytes : {std::size_t{5}, std::size_t{16}, std::size_t{61}}) {
            fuzz::Require(Answer(wine::ReadRegistryKey(path, key, bufferBytes)) == expected);
        }
    }
    return 0;
}
