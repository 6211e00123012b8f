#include "app/platform/wine/dos_mask.h"

#include <algorithm>

#include "app/platform/wine/unicode_text.h"

namespace wine {

namespace {

// Known differences from Windows' mask rules, in masks the system never builds (it only builds
// masks of `*` and `?` without dots, which match as Windows matches them):
// - Masks ending in dots or spaces: they are dropped here, and only a final `*` before them
//   becomes DOS_STAR (RunToLast). Windows keeps the dots and translates them, and the stars
//   before them, for its matcher, so masks such as "a*b*." or "*.." may match other names
//   there.
// - `<`, `>` and `"` in the caller's mask: Windows' matcher takes them as DOS_STAR, DOS_QM and
//   DOS_DOT; here they are plain characters, which no file name holds, so they match nothing.
// Wildcard markers live above the Unicode range so that no name character equals them.
constexpr char32_t AnyRun = 0x200000;     // '*'
constexpr char32_t AnyOne = 0x200001;     // '?': DOS_QM
constexpr char32_t DotOrEnd = 0x200002;   // '.' before a wildcard: DOS_DOT
constexpr char32_t RunToLast = 0x200003;  // '*' of a mask that ended in '.': DOS_STAR

void DecodeFolded(std::string_view text, std::vector<char32_t>& characters) {
    characters.clear();
    std::size_t index = 0;
    while (index < text.size()) {
        // Most names are ASCII: fold those bytes without decoding.
        const auto byte = static_cast<unsigned char>(text[index]);
        if (byte < 0x80) {
            characters.push_back(byte >= 'A' && byte <= 'Z' ? byte + 32 : byte);
            ++index;
            continue;
        }
        characters.push_back(FoldCase(DecodeUtf8(text, index)));
    }
}

}  // namespace

DosMask::DosMask(std::string_view mask) {
    const bool endedWithDot = !mask.empty() && mask.back() == '.';
    while (!mask.empty() && (mask.back() == '.' || mask.back() == ' ')) {
        mask.remove_suffix(1);
    }
    if (mask.empty()) {
        mask = "*";  // "." or "" searches the whole directory
    }
    literal_ = std::string(mask);
    std::vector<char32_t> characters;
    DecodeFolded(mask, characters);
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const char32_t c = characters[i];
        const bool last = i + 1 == characters.size();
        if (c == '*') {
            pattern_.push_back(endedWithDot && last ? RunToLast : AnyRun);
            hasWildcards_ = true;
        } else if (c == '?') {
            pattern_.push_back(AnyOne);
            hasWildcards_ = true;
        } else if (c == '.' && !last && (characters[i + 1] == '*' || characters[i + 1] == '?')) {
            pattern_.push_back(DotOrEnd);
        } else {
            pattern_.push_back(c);
        }
    }
    hasAsciiGlob_ = true;
    for (const char32_t item : pattern_) {
        if (item == AnyRun) {
            asciiGlob_ += '*';
        } else if (item < 0x80 && item != '*') {
            asciiGlob_ += static_cast<char>(item);
        } else {
            hasAsciiGlob_ = false;
            break;
        }
    }
}

// Classic wildcard matching with one backtrack point, on folded bytes. decided is false when the
// name is not plain ASCII and the general matcher must answer.
bool DosMask::MatchesAsciiGlob(std::string_view name, bool& decided) const {
    decided = false;
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starPattern = std::string::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        const auto byte = static_cast<unsigned char>(name[n]);
        if (byte >= 0x80) {
            return false;
        }
        const char folded = static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + 32 : byte);
        if (p < asciiGlob_.size() && asciiGlob_[p] == '*') {
            starPattern = p++;
            starName = n;
        } else if (p < asciiGlob_.size() && asciiGlob_[p] == folded) {
            ++p;
            ++n;
        } else if (starPattern != std::string::npos) {
            p = starPattern + 1;
            n = ++starName;
        } else {
            decided = true;
            return false;
        }
    }
    while (p < asciiGlob_.size() && asciiGlob_[p] == '*') {
        ++p;
    }
    decided = true;
    return p == asciiGlob_.size();
}

bool DosMask::Matches(std::string_view nameText) const {
    if (hasAsciiGlob_) {
        bool decided = false;
        const bool matched = MatchesAsciiGlob(nameText, decided);
        if (decided) {
            return matched;
        }
    }
    // Scratch space kept per thread: a search matches thousands of names.
    thread_local std::vector<char32_t> name;
    thread_local std::vector<char> reachable;
    thread_local std::vector<char> next;
    DecodeFolded(nameText, name);
    const std::size_t length = name.size();
    std::size_t lastDot = length;  // length when the name has no dot
    for (std::size_t i = length; i-- > 0;) {
        if (name[i] == '.') {
            lastDot = i;
            break;
        }
    }
    // The set of name positions the pattern read so far can end at; one pass per pattern item.
    reachable.assign(length + 1, 0);
    next.assign(length + 1, 0);
    reachable[0] = 1;
    for (const char32_t item : pattern_) {
        std::fill(next.begin(), next.end(), 0);
        bool any = false;
        for (std::size_t i = 0; i <= length; ++i) {
            if (!reachable[i]) {
                continue;
            }
            any = true;
            switch (item) {
                case AnyRun:
                    std::fill(next.begin() + static_cast<std::ptrdiff_t>(i), next.end(), 1);
                    i = length;  // every later position is already reachable
                    break;
                case RunToLast: {
                    const std::size_t limit = lastDot == length ? length : lastDot;
                    for (std::size_t j = i; j <= limit; ++j) {
                        next[j] = 1;
                    }
                    break;
                }
                case AnyOne:
                    if (i == length || name[i] == '.') {
                        next[i] = 1;
                    } else {
                        next[i + 1] = 1;
                    }
                    break;
                case DotOrEnd:
                    if (i == length) {
                        next[i] = 1;
                    } else if (name[i] == '.') {
                        next[i + 1] = 1;
                    }
                    break;
                default:
                    if (i < length && name[i] == item) {
                        next[i + 1] = 1;
                    }
                    break;
            }
        }
        if (!any) {
            return false;
        }
        reachable.swap(next);
    }
    return reachable[length] != 0;
}

}  // namespace wine
