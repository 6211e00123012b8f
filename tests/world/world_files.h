#pragma once
// Small worlds written sample by sample into a temporary folder, for the world model's tests.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/temporary_prefix.h"
#include "terrain/heightmap_samples.h"
#include "world/sector_source.h"

namespace world_test {

using SampleFunction = std::function<std::uint16_t(int r, int c)>;

// Writes sector `name`'s heightmap file below `terrain` and returns it as a source.
inline world::SectorSource WriteSector(const std::filesystem::path& terrain,
                                       const std::string& name, const SampleFunction& sample) {
    std::string bytes(HeightmapHeaderSize, '\0');
    for (int r = 0; r < GridSide; ++r) {
        for (int c = 0; c < GridSide; ++c) {
            const std::uint16_t value = sample(r, c);
            bytes.push_back(static_cast<char>(value & 0xFF));
            bytes.push_back(static_cast<char>(value >> 8));
        }
    }
    const std::filesystem::path path = terrain / name / ("heightmap_" + name + ".zdt");
    WriteFile(path, bytes);
    return {name, path};
}

// The samples of a world of gently rolling ground, the same function in every sector so that
// shared edges agree: sample (r, c) of sector A_B depends on (126 A + r, 126 B + c) only.
inline SampleFunction Rolling(int a, int b) {
    return [a, b](int r, int c) {
        const int x = 126 * a + r;
        const int y = 126 * b + c;
        return static_cast<std::uint16_t>(2000 + (x * 37 % 101) * 3 + (y * 53 % 97) * 2 +
                                          ((x / 20 + y / 30) % 5) * 40);
    };
}

}  // namespace world_test
