#pragma once
// Where the game keeps its worlds on this machine, found as the viewer finds it: the install
// root is the default value of HKLM\SOFTWARE\MolvaneStudios\Quarlend in the first Wine prefix
// whose system.reg holds that key, and the worlds lie in its world_cache folder.

#include <filesystem>
#include <string>

namespace world_view {

struct GameInstall {
    bool found = false;
    // The install root as the registry holds it (Windows form), when found.
    std::string root;
    // When not found: what was searched, in a sentence for the window.
    std::string problem;

    // A Windows path below the install root resolved to this machine (case-insensitively, through
    // the prefix's drives), e.g. Below("world_cache\\Eastquarlend").
    std::filesystem::path Below(const std::string& relative) const;
};

GameInstall FindGameInstall();

}  // namespace world_view
