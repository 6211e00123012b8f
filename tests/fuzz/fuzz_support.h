#pragma once
// What the fuzz targets share: a failed expectation aborts (libFuzzer reports it as a crash),
// and bytes become a file the parsers open by path.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

namespace fuzz {

inline void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// An anonymous in-memory file holding `bytes`, opened by path through /proc/self/fd.
class MemoryFile {
public:
    explicit MemoryFile(std::span<const std::uint8_t> bytes)
        : descriptor_(memfd_create("fuzz-input", MFD_CLOEXEC)) {
        Require(descriptor_ >= 0);
        std::size_t written = 0;
        while (written < bytes.size()) {
            const ssize_t got = write(descriptor_, bytes.data() + written, bytes.size() - written);
            Require(got > 0);
            written += static_cast<std::size_t>(got);
        }
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    ~MemoryFile() { close(descriptor_); }

    std::string Path() const { return "/proc/self/fd/" + std::to_string(descriptor_); }

private:
    int descriptor_;
};

}  // namespace fuzz

#include <filesystem>
#include <fstream>

#include "app/platform/wine/wine_prefix.h"

namespace fuzz {

// A Wine prefix in a temporary directory whose drive C: is an empty folder, made once per
// process and chosen through WINEPREFIX.
inline const std::filesystem::path& TemporaryPrefix() {
    static const std::filesystem::path prefix = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "velmora-fuzz-XXXXXX").string();
        Require(mkdtemp(pattern.data()) != nullptr);
        const std::filesystem::path root = pattern;
        std::filesystem::create_directories(root / "drive_c");
        std::filesystem::create_directories(root / "dosdevices");
        std::filesystem::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
        std::ofstream(root / "system.reg") << "WINE REGISTRY Version 2\n";
        setenv("WINEPREFIX", root.c_str(), 1);
        wine::ResetPrefixSelection();
        return root;
    }();
    return prefix;
}

}  // namespace fuzz
