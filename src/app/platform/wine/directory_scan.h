#pragma once
// FindFirstFile/FindNextFile over the Wine prefix: the entries of one directory that match a DOS
// mask, `.` and `..` first (except at a drive root), then the rest in directory order. Names
// Windows cannot hold are passed over. Internal to the platform layer.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/platform/wine/dos_mask.h"
#include "app/platform/wine/host_directory.h"

namespace wine {

struct FoundEntry {
    std::string name;
    bool isDirectory = false;
    // The attributes that need the entry's status; filled on first request.
    mutable std::optional<std::uint32_t> attributes;
};

class DirectorySearch {
public:
    // Starts a search for `mask` (a Windows path whose last component is the pattern). Empty
    // when the directory does not exist or nothing matches.
    static std::unique_ptr<DirectorySearch> Start(std::string_view mask);

    // The search directory in Windows form, ending in '\'.
    const std::string& Root() const { return root_; }

    // The entry made current by the last Advance (none before the first).
    const FoundEntry* Current() const { return current_ ? &*current_ : nullptr; }

    // Makes the prefetched entry current and prefetches the one after; false when there is none
    // after it (the new current entry is still valid). Without a prefetched entry the current
    // one stays and the result is false.
    bool Advance();

    // FILE_ATTRIBUTE_* of an entry of this search.
    std::uint32_t Attributes(const FoundEntry& entry) const;

private:
    DirectorySearch(std::string root, DosMask mask, HostDirectory directory, bool atDriveRoot);
    std::optional<FoundEntry> Fetch();
    bool IsDirectoryEntry(const char* name, unsigned char type) const;

    std::string root_;
    DosMask mask_;
    HostDirectory directory_;
    int pendingDots_;  // how many of ".", ".." are still to be offered
    std::optional<FoundEntry> current_;
    std::optional<FoundEntry> next_;
    std::optional<std::string> single_;  // the one name of a mask without wildcards
};

// True when Windows can hold `name`: valid UTF-8, no control characters and none of \/:*?"<>|.
bool IsWindowsFileName(std::string_view name);

}  // namespace wine
