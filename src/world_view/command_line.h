#pragma once
// velmora-world's command line: velmora-world [WORLD] [--camera X,Y,Z,YAW,PITCH].

#include <optional>
#include <string>
#include <vector>

#include "world/world_camera.h"

namespace world_view {

struct CommandLine {
    // The world to show first, as listed or as its folder, in any case; empty: the one shown
    // last, else the first.
    std::string world;
    std::optional<world::Camera> camera;
    bool help = false;
    bool version = false;
};

// Throws std::invalid_argument saying what is wrong.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

inline constexpr const char* Usage =
    "Usage: velmora-world [WORLD] [--camera X,Y,Z,YAW,PITCH]\n"
    "Flies over a whole world of Quarlend's world cache in 3D, following the game as it writes.\n"
    "  WORLD        a world as `velmora worlds` lists it, or its folder (any case)\n"
    "  --camera     the first camera: position and angles in radians, as `velmora render`\n"
    "               takes it (default: the whole world from beyond its low-y edge)\n"
    "  --help       this text\n"
    "  --version    the version\n";

}  // namespace world_view
