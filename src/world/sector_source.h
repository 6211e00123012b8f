#pragma once
// A sector file as the catalogue lists it: the sector's name ("12_7") and where its heightmap
// lies on this machine.

#include <filesystem>
#include <string>

namespace world {

struct SectorSource {
    std::string name;
    std::filesystem::path hostPath;
};

}  // namespace world
