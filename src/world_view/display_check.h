#pragma once
// Whether the X display can give the window what it needs, asked before wx starts, so that a
// missing display or a display without GLX ends the program with one clear line.

#include <string>

namespace world_view {

// Empty when DISPLAY names a reachable X server that offers GLX; else why not.
std::string DisplayProblem();

}  // namespace world_view
