#pragma once
// Which Wine prefix stands for "this Windows": its system.reg is HKEY_LOCAL_MACHINE and its
// dosdevices/ holds the drive letters.

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace wine {

// The prefixes to try, in order: $WINEPREFIX alone when set; otherwise ~/.wine, then each Steam
// Proton prefix (steamapps/compatdata/*/pfx under the native, ~/.steam/steam, Flatpak and Snap
// Steam roots). Only directories that exist are listed, except $WINEPREFIX.
std::vector<std::filesystem::path> CandidatePrefixes();

// Returns the first candidate for which `holds` is true, and from then on that prefix serves
// every drive (the first such choice sticks until ResetPrefixSelection).
std::optional<std::filesystem::path> SelectPrefix(
    const std::function<bool(const std::filesystem::path&)>& holds);

// The prefix whose drives serve paths: the one SelectPrefix chose, else the first existing
// candidate, else $WINEPREFIX or ~/.wine.
std::filesystem::path DrivePrefix();

// Forgets the chosen prefix, so that the next lookup reads the environment again (tests set
// WINEPREFIX or HOME, then call this).
void ResetPrefixSelection();

}  // namespace wine
