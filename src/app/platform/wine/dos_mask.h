#pragma once
// A DOS wildcard mask as FindFirstFile applies it to names: `*` and `?`, case-insensitive, with
// the DOS rules for dots (so "*.*" matches every name and "*." only names without a dot).

#include <string>
#include <string_view>
#include <vector>

namespace wine {

class DosMask {
public:
    explicit DosMask(std::string_view mask);

    bool Matches(std::string_view name) const;
    bool HasWildcards() const { return hasWildcards_; }
    // The mask without its wildcard translation (trailing dots and spaces dropped); meaningful
    // when it has no wildcards.
    const std::string& Literal() const { return literal_; }

private:
    bool MatchesAsciiGlob(std::string_view name, bool& decided) const;

    std::vector<char32_t> pattern_;  // folded characters and the DOS wildcard markers
    // The mask as folded ASCII bytes when its only wildcard is `*` (so no DOS dot rule applies),
    // e.g. "*_*" or "*quarlend": ASCII names are then matched byte by byte.
    std::string asciiGlob_;
    bool hasAsciiGlob_ = false;
    std::string literal_;
    bool hasWildcards_ = false;
};

}  // namespace wine
