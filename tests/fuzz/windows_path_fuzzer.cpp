// Windows paths: the full form of any text but "" is absolute, and paths on drive C: (an empty
// folder of a temporary prefix) resolve under their full form. (Taking the full form twice is not
// the same as once: as in Wine, a component loses only its last trailing dot, so "..." becomes
// ".." and is collapsed only the second time.)

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/platform/wine/windows_path.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::TemporaryPrefix();
    const std::string_view path(reinterpret_cast<const char*>(data), size);
    const std::string full = wine::FullWindowsPath(path);
    if (path.empty()) {
        fuzz::Require(full.empty());  // as GetFullPathName fails on ""
        return 0;
    }
    fuzz::Require(full.size() >= 3 && full[1] == ':' && wine::IsPathSeparator(full[2]));
    if ((full[0] == 'C' || full[0] == 'c') && full.size() < 512) {
        const wine::HostPath resolved = wine::ResolveWindowsPath(full);
        fuzz::Require(resolved.windowsPath == wine::FullWindowsPath(full));
    }
    return 0;
}
