// velmora_bench_world DIR SIDE: a Wine prefix holding one world, Benchquarlend, of SIDE x SIDE
// sectors of demo terrain, for the whole-process comparisons of compare.sh.

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "demo/demo_world.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    int side = 0;
    if (argc != 3 ||
        std::from_chars(argv[2], argv[2] + std::string_view(argv[2]).size(), side).ec !=
            std::errc() ||
        side < 1 || side > 256) {
        std::fprintf(stderr, "usage: velmora_bench_world DIR SIDE (1 to 256)\n");
        return 64;
    }
    const fs::path prefix = argv[1];
    const demo::DemoWorld world{"Benchquarlend", side, side, 0xBE7C4u};
    demo::WriteWorldPrefix(prefix, {&world, 1});
    std::printf("wrote %d x %d sectors to %s\n", side, side, prefix.c_str());
    return 0;
}
