#pragma once
// Looks one key up in a Wine registry file (system.reg) as a 32-bit program sees it, reading
// the file once and decoding only the sections of that key. Internal to the platform layer.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "app/platform/wine/registry_text.h"

namespace wine {

inline constexpr std::size_t RegistryReadBufferBytes = std::size_t{1} << 20;
// Lines longer than this are passed over whole, whatever the buffer size.
inline constexpr std::size_t MaxRegistryLineBytes = std::size_t{1} << 20;

// The values of `keyPath` (components separated by '\', matched without regard to case), in the
// order Wine enumerates them (default value first). Nothing when the key does not exist or the
// file is missing, unreadable or not a registry file. In a win64 file a path below Software is
// looked up in Software\Wow6432Node first. `readBufferBytes` is how much is read at a time;
// the answer is the same for every size (tests use tiny ones to move lines across the reads).
std::optional<std::vector<RegistryValue>> ReadRegistryKey(
    const std::filesystem::path& file, std::string_view keyPath,
    std::size_t readBufferBytes = RegistryReadBufferBytes);

}  // namespace wine
