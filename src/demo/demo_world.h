#pragma once
// The demo world: a small Wine prefix holding everything the viewer reads, generated so that a
// new user sees real terrain without owning the game.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

namespace demo {

// Writes into `directory` (created when missing; existing demo files are replaced):
//   system.reg     the install-root key Software\Wow6432Node\MolvaneStudios\Quarlend with
//                  default value C:\Games\Quarlend, in a win64 prefix;
//   dosdevices/c:  a link to ../drive_c;
//   drive_c/Games/Quarlend/world_cache/<world>/terrain/<x>_<y>/heightmap_<x>_<y>.zdt for the
//                  worlds Eastquarlend (4 x 4 sectors), Northquarlend (12 x 12) and
//                  Westquarlend (3 x 3): rolling hills with a river and a lake;
//   terrain.image  a tileable 256 x 256 ground texture (PNG).
// The same bytes on every run. Throws std::filesystem::filesystem_error or std::runtime_error
// when something cannot be written.
void WriteDemoPrefix(const std::filesystem::path& directory);

struct DemoWorld {
    std::string_view name;
    int sectorsX;
    int sectorsY;
    std::uint32_t seed;
};

inline constexpr DemoWorld DemoWorlds[] = {{"Eastquarlend", 4, 4, 0x5EA51DE5u},
                                           {"Northquarlend", 12, 12, 0x40E7B0A7u},
                                           {"Westquarlend", 3, 3, 0x0DDBA11Eu}};

// The registry, drive link and worlds of a demo prefix, for any choice of worlds (no texture).
void WriteWorldPrefix(const std::filesystem::path& directory, std::span<const DemoWorld> worlds);

// The 127 x 127 samples of sector x_y of `world`, row by row: sample (r, c) stands at world
// ground (x * 1260 + 10 r, y * 1260 + 10 c), so neighbouring sectors share their edge samples.
// Each sample depends only on the world and its place, so any sector of any size of world can be
// made on its own.
std::vector<std::uint16_t> DemoSectorSamples(const DemoWorld& world, int x, int y);

// The whole heightmap file of that sector: 24-byte header, then the samples little-endian.
std::vector<std::uint8_t> DemoHeightmapFile(const DemoWorld& world, int x, int y);

// The ground texture as PNG bytes.
std::vector<std::uint8_t> DemoGroundTexturePng();

// The registry file's text.
std::string DemoSystemReg();

}  // namespace demo
