#include "world/sector_place.h"

#include <algorithm>
#include <charconv>

namespace world {

namespace {

std::optional<int> ParsePlaceNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 5 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

}  // namespace

std::optional<SectorPlace> ParseSectorPlace(std::string_view name) {
    const std::size_t separator = name.find('_');
    if (separator == std::string_view::npos) {
        return std::nullopt;
    }
    const auto a = ParsePlaceNumber(name.substr(0, separator));
    const auto b = ParsePlaceNumber(name.substr(separator + 1));
    if (!a || !b) {
        return std::nullopt;
    }
    return SectorPlace{*a, *b};
}

}  // namespace world
