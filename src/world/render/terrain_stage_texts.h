#pragma once
// The terrain program's stages as the desktop compiles them, vertex then fragment: the shared
// sources of shaders/ behind the desktop's #version line, built in (the build generates the
// definition from those files).

#include <cstdint>
#include <span>
#include <vector>

namespace world::render {

std::vector<std::span<const std::uint8_t>> TerrainStageTexts();

}  // namespace world::render
