// DOS masks against a plain wildcard model, for the masks the system builds: `*` and `?`
// without dots, matched against names without dots. `*` matches any run of characters, `?`
// exactly one (or nothing at the end of the name), case folded as the mask does. Masks with
// dots only have to match without failing.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "app/platform/wine/dos_mask.h"
#include "app/platform/wine/unicode_text.h"
#include "fuzz_support.h"

namespace {

std::vector<char32_t> Folded(std::string_view text) {
    std::vector<char32_t> characters;
    std::size_t index = 0;
    while (index < text.size()) {
        characters.push_back(wine::FoldCase(wine::DecodeUtf8(text, index)));
    }
    return characters;
}

bool PlainMatch(const std::vector<char32_t>& mask, const std::vector<char32_t>& name) {
    // reachable[i]: the mask read so far can end at name position i.
    std::vector<bool> reachable(name.size() + 1, false);
    reachable[0] = true;
    for (const char32_t item : mask) {
        std::vector<bool> next(name.size() + 1, false);
        for (std::size_t i = 0; i <= name.size(); ++i) {
            if (!reachable[i]) {
                continue;
            }
            if (item == U'*') {
                for (std::size_t j = i; j <= name.size(); ++j) {
                    next[j] = true;
                }
            } else if (item == U'?') {
                next[i == name.size() ? i : i + 1] = true;
            } else if (i < name.size() && name[i] == item) {
                next[i + 1] = true;
            }
        }
        reachable.swap(next);
    }
    return reachable[name.size()];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    if (split == std::string_view::npos) {
        return -1;
    }
    std::string_view mask = input.substr(0, split);
    const std::string_view name = input.substr(split + 1);
    const wine::DosMask dosMask(mask);
    const bool matched = dosMask.Matches(name);
    if (mask.find('.') != std::string_view::npos || name.find('.') != std::string_view::npos) {
        return 0;
    }
    // The mask drops trailing spaces; an empty mask is "*".
    while (!mask.empty() && mask.back() == ' ') {
        mask.remove_suffix(1);
    }
    const std::vector<char32_t> model = mask.empty() ? std::vector<char32_t>{U'*'} : Folded(mask);
    fuzz::Require(matched == PlainMatch(model, Folded(name)));
    return 0;
}
