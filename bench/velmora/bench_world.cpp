// velmora_bench_world DIR SIDE: a Wine prefix holding one world, Benchquarlend, of SIDE x SIDE
// sectors of demo terrain, for the whole-process comparisons of compare.sh.

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "demo_world.h"

namespace fs = std::filesystem;

namespace {

void WriteBytes(const fs::path& path, const void* bytes, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

}  // namespace

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
    const DemoWorld world{"Benchquarlend", side, side, 0xBE7C4u};
    fs::create_directories(prefix / "dosdevices");
    fs::create_directories(prefix / "drive_c");
    const std::string reg = DemoSystemReg();
    WriteBytes(prefix / "system.reg", reg.data(), reg.size());
    std::error_code ignored;
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:", ignored);
    const fs::path terrain =
        prefix / "drive_c" / "Games" / "Quarlend" / "world_cache" / "Benchquarlend" / "terrain";
    for (int a = 0; a < side; ++a) {
        for (int b = 0; b < side; ++b) {
            const std::string name = std::to_string(a) + "_" + std::to_string(b);
            fs::create_directories(terrain / name);
            const std::vector<std::uint8_t> file = DemoHeightmapFile(world, a, b);
            WriteBytes(terrain / name / ("heightmap_" + name + ".zdt"), file.data(), file.size());
        }
    }
    std::printf("wrote %d x %d sectors to %s\n", side, side, prefix.c_str());
    return 0;
}
