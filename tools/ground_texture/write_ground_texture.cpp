// Writes the demo world's ground texture to the file named on the command line: the build makes
// the terrain.image that the package ships this way, so that no generated image is committed.

#include <cstdint>
#include <cstdio>
#include <exception>
#include <fstream>
#include <vector>

#include "demo/demo_world.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_ground_texture FILE\n");
        return 2;
    }
    try {
        const std::vector<std::uint8_t> png = demo::DemoGroundTexturePng();
        std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(png.data()),
                  static_cast<std::streamsize>(png.size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "write_ground_texture: cannot write %s\n", argv[1]);
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "write_ground_texture: %s\n", error.what());
        return 1;
    }
    return 0;
}
