#pragma once
// The order in which sorted list boxes and combo boxes keep their items, the same on every backend.

#include <string_view>

namespace win32 {

// Compares two item texts in the natural order of text/natural_order.h: case-insensitively (ASCII
// letters fold to lower case), with every run of decimal digits compared as a number, so "9_3" <
// "10_2" and "10_9" < "10_10". Texts that are equal under that rule are ordered by their bytes, so
// the order of a sorted control never depends on the order in which the items were added. Returns
// <0, 0 or >0; 0 only for identical texts.
int CompareItemText(std::string_view left, std::string_view right);

// Strict weak ordering over item texts, for standard algorithms.
struct ItemTextLess {
    bool operator()(std::string_view left, std::string_view right) const {
        return CompareItemText(left, right) < 0;
    }
};

}  // namespace win32
