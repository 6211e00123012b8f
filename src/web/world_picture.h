#pragma once
// The small picture of a world the page's list of worlds shows (docs/WEB.md): the world's box at
// the first power-of-two scale at which it fits the picture, made of the pyramid's pixels.

#include <cstdint>
#include <optional>
#include <vector>

#include "web/tile_pyramid.h"
#include "world/world_layout.h"

namespace web {

// Pixels a side of the picture, at most.
inline constexpr int PictureSide = 128;

// The picture's payload: u32 width, u32 height, the heights as a u16 grid and the coverage as a
// u8 grid. Nullopt for a world whose box holds no place.
std::optional<std::vector<std::uint8_t>> WorldPicture(TilePyramid& pyramid,
                                                      const world::WorldLayout& layout);

}  // namespace web
