// Windows paths: the full form of any text up to its first NUL but "" is absolute, and paths on
// the prefix's drives (C: an empty folder, the others missing) resolve under their full form to a
// host path below the drive's directory, as the system reads it. (Taking the full form twice is
// not the same as once: as in Wine, an inner component loses only its last trailing dot, so
// "a.." becomes "a." and only the second time "a".)

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/platform/wine/windows_path.h"
#include "fuzz_support.h"

namespace {

// True when `host`, read up to its first NUL as open() reads it, is `root` or lies below it
// without a `.` or `..` component that could lead back out.
bool StaysBelow(const std::filesystem::path& host, const std::filesystem::path& root) {
    const std::string seen = host.c_str();
    const std::string& top = root.native();
    if (seen.compare(0, top.size(), top) != 0 ||
        (seen.size() > top.size() && seen[top.size()] != '/')) {
        return false;
    }
    for (const std::filesystem::path& part : std::filesystem::path(seen.substr(top.size()))) {
        if (part == "." || part == "..") {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path& prefix = fuzz::TemporaryPrefix();
    const std::string_view path(reinterpret_cast<const char*>(data), size);
    const std::string full = wine::FullWindowsPath(path);
    if (path.substr(0, path.find('\0')).empty()) {
        fuzz::Require(full.empty());  // as GetFullPathName fails on ""
        return 0;
    }
    fuzz::Require(full.size() >= 3 && full[1] == ':' && wine::IsPathSeparator(full[2]));
    const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(full[0])));
    // Z: is the host's root, searched for real: left out.
    if (drive != 'z' && full.size() < 512) {
        const std::filesystem::path root = prefix / "dosdevices" / std::string{drive, ':'};
        const wine::HostPath resolved = wine::ResolveWindowsPath(path);
        fuzz::Require(resolved.windowsPath == full);
        fuzz::Require(StaysBelow(resolved.hostPath, root));
        fuzz::Require(StaysBelow(wine::ResolveWindowsPath(full).hostPath, root));
    }
    return 0;
}
