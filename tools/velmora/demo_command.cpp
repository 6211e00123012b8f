// velmora demo DIR: writes the demo prefix.

#include <cstdio>
#include <filesystem>
#include <string>

#include "command.h"
#include "demo_world.h"

namespace {

int RunDemo(std::span<const std::string_view> arguments) {
    if (arguments.size() != 1) {
        throw CommandFailure(ExitUsage, "wrong number of arguments; see --help");
    }
    const std::filesystem::path directory{std::string(arguments[0])};
    WriteDemoPrefix(directory);
    std::printf("wrote the demo prefix to %s\n", directory.c_str());
    return ExitSuccess;
}

}  // namespace

const Command DemoCommand{
    "demo", "DIR", "writes the demo prefix into DIR",
    "Writes a small Wine prefix into DIR (created when missing): system.reg with the game's\n"
    "install-root key, dosdevices/c: pointing at drive_c, three worlds of generated terrain in\n"
    "drive_c/Games/Quarlend/world_cache (Eastquarlend, 4 x 4 sectors; Northquarlend, 12 x 12;\n"
    "Westquarlend, 3 x 3), and\n"
    "terrain.image, a tileable ground texture. The same bytes on every run. Run the viewer or\n"
    "velmora with WINEPREFIX=DIR, from DIR so that terrain.image is found.\n",
    RunDemo};
