// The text forms of system.reg lines: key lines, value lines with their continuations, and
// escaped strings, each decoded without reading past the line, no value larger than the limit.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "app/platform/wine/registry_text.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.empty()) {
            continue;
        }
        std::size_t end = 0;
        if (wine::ParseEscaped(line, '"', end)) {
            fuzz::Require(end >= 1 && end <= line.size());
        }
        if (line.front() == '[') {
            wine::ParseKeyLine(line.substr(1));
        } else if (line.front() == '@' || line.front() == '"') {
            std::size_t next = i + 1;
            const auto value = wine::ParseValueLine(line, [&]() -> std::optional<std::string_view> {
                if (next >= lines.size()) {
                    return std::nullopt;
                }
                return lines[next++];
            });
            if (value) {
                fuzz::Require(value->data.size() <= wine::MaxValueBytes);
            }
        }
    }
    return 0;
}
