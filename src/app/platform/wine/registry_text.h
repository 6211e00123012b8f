#pragma once
// The text forms of Wine's registry files: escaped strings, key paths and value lines, decoded to
// what RegEnumValueA hands out. Internal to the platform layer.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wine {

struct RegistryValue {
    std::string name;  // UTF-8
    std::uint32_t type = 0;
    // The data as RegEnumValueA returns it: raw bytes, or for string types the UTF-8 form of the
    // whole stored UTF-16 data, terminating NULs included.
    std::string data;
};

// Decodes an escaped string that starts at `text[0]` and ends at the first unescaped
// `delimiter`. Returns its UTF-16 units and sets `end` past the delimiter; nothing when the
// delimiter is missing.
std::optional<std::u16string> ParseEscaped(std::string_view text, char delimiter, std::size_t& end);

// The components of a section line "[A\\B\\C] 1234" (after the '['); nothing when malformed.
std::optional<std::vector<std::string>> ParseKeyLine(std::string_view afterBracket);

// Decoded data (for strings: their UTF-8 form) larger than this is refused, so that no file can
// make a value take unbounded memory.
inline constexpr std::size_t MaxValueBytes = 16u << 20;

// Parses a value line (starting at '@' or '"'). `continuation` gives the next physical line of a
// hex value that ends in '\' (nothing at end of file). Nothing when the line is malformed.
std::optional<RegistryValue> ParseValueLine(
    std::string_view line, const std::function<std::optional<std::string_view>()>& continuation);

}  // namespace wine
