#pragma once
// The order in which the viewer's world list shows names: without regard to ASCII case, runs of
// digits compared as numbers ("9" before "10"), and names equal under that rule ordered by their
// bytes, so the order never depends on how the folders were listed.

#include <string_view>

namespace world_view {

// <0, 0 or >0; 0 only for identical names.
int CompareWorldNames(std::string_view left, std::string_view right);

struct WorldNameLess {
    bool operator()(std::string_view left, std::string_view right) const {
        return CompareWorldNames(left, right) < 0;
    }
};

}  // namespace world_view
