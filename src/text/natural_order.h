#pragma once
// The order in which lists of names are shown (the viewer's sorted list and combo boxes, the world
// view's world list): case-insensitively (ASCII letters fold to lower case), with every run of
// decimal digits compared as a number, so "9_3" < "10_2" and "10_9" < "10_10". Texts equal under
// that rule are ordered by their bytes, so the order never depends on the order of arrival.

#include <string_view>

namespace text {

// <0, 0 or >0; 0 only for identical texts.
int CompareNatural(std::string_view left, std::string_view right);

// Strict weak ordering over texts, for standard algorithms and containers.
struct NaturalLess {
    bool operator()(std::string_view left, std::string_view right) const {
        return CompareNatural(left, right) < 0;
    }
};

}  // namespace text
