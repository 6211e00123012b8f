// DOS masks as FindFirstFile reads them: wildcards, dots and case.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/platform/wine/dos_mask.h"

namespace {

TEST(DosMaskTest, WildcardsAndDotRules) {
    struct Case {
        const char* mask;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"*quarlend", "Eastquarlend", true},
        {"*quarlend", "EastQUARLEND", true},
        {"*quarlend", "quarlend", true},
        {"*quarlend", "quarlend.old", false},
        {"*_*", "12_7", true},
        {"*_*", "127", false},
        {"*_*", "_", true},
        {"*.*", "noext", true},
        {"*.*", "a.b.c", true},
        {"*.", "noext", true},
        {"*.", "a.txt", false},
        {"???.txt", "ab.txt", true},
        {"???.txt", "abcd.txt", false},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"*", ".hidden", true},
        {"*a*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
        {"\xc3\xa9*", "\xc3\x89t\xc3\xa9", true},  // é matches É
        {"T*.ZDT", "heightmap_1_2.zdt", false},
        {"H*.ZDT", "heightmap_1_2.zdt", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(wine::DosMask(c.mask).Matches(c.name), c.matches) << c.mask << " " << c.name;
    }
}

// A plain recursive wildcard match, case-insensitive over ASCII: what a mask whose only wildcard
// is `*` must do.
bool PlainWildcardMatch(std::string_view mask, std::string_view name) {
    if (mask.empty()) {
        return name.empty();
    }
    if (mask[0] == '*') {
        for (std::size_t skip = 0; skip <= name.size(); ++skip) {
            if (PlainWildcardMatch(mask.substr(1), name.substr(skip))) {
                return true;
            }
        }
        return false;
    }
    return !name.empty() && std::tolower(mask[0]) == std::tolower(name[0]) &&
           PlainWildcardMatch(mask.substr(1), name.substr(1));
}

TEST(DosMaskTest, StarOnlyMasksAgreeWithAPlainWildcardMatch) {
    // Deterministic pseudo-random masks and names over a small alphabet, so that runs of stars
    // and repeated letters meet every backtracking path.
    std::uint32_t state = 12345;
    auto next = [&state](std::uint32_t bound) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % bound;
    };
    const char maskAlphabet[] = {'a', 'B', '_', '*'};
    const char nameAlphabet[] = {'a', 'b', 'A', '_'};
    for (int round = 0; round < 3000; ++round) {
        std::string mask;
        for (std::uint32_t i = 1 + next(6); i > 0; --i) {
            mask += maskAlphabet[next(4)];
        }
        std::string name;
        for (std::uint32_t i = next(9); i > 0; --i) {
            name += nameAlphabet[next(4)];
        }
        ASSERT_EQ(wine::DosMask(mask).Matches(name), PlainWildcardMatch(mask, name))
            << mask << " " << name;
    }
}

}  // namespace
