#pragma once
// Where a sector lies: sector "A_B" sits at grid position (A, B); its sample (row r, column c) is
// world sample (126 A + r, 126 B + c), so neighbours share their edge samples. World sample
// (gx, gy) stands at (10 gx, 10 gy) in world units. Names that are not two non-negative integers
// of at most five digits joined by '_' have no place.

#include <optional>
#include <string_view>

namespace world {

// Sample steps between neighbouring sectors' origins: their edges are shared.
inline constexpr int SectorStride = 126;
// World units between neighbouring samples, and per unit of a sample's height.
inline constexpr double SampleSpacing = 10.0;
inline constexpr double SampleHeight = 0.25;

struct SectorPlace {
    int a = 0;
    int b = 0;
};

std::optional<SectorPlace> ParseSectorPlace(std::string_view name);

}  // namespace world
