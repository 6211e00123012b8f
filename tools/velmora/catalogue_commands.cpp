// velmora worlds, sectors and heightmap: what the viewer's lists and sector loading would show.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>
#include "app/platform/wine/windows_path.h"
#include "command_list.h"
#include "headless_catalogue/catalogue_session.h"

namespace {

using headless_catalogue::CatalogueSession;

void PrintLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        std::printf("%s\n", line.c_str());
    }
}

// The host path a Windows path resolves to, with the drive links followed where they can be.
std::string ReadableHostPath(const std::string& windowsPath) {
    const std::filesystem::path hostPath = wine::ResolveWindowsPath(windowsPath).hostPath;
    std::error_code error;
    const std::filesystem::path followed = std::filesystem::weakly_canonical(hostPath, error);
    return (error ? hostPath : followed).string();
}

}  // namespace

void AddWorldsCommand(CLI::App& velmora, ChosenCommand& chosen) {
    CLI::App* worlds = AddSubcommand(
        velmora, "worlds", "the world names, in the viewer's order",
        "Prints the name of every world in the game's world cache, one a line, in the order of "
        "the\nviewer's world list. The install directory comes from the registry of the Wine "
        "prefix\n($WINEPREFIX, else ~/.wine, else a Steam Proton prefix that holds the game's "
        "key).");
    worlds->callback([&chosen] {
        chosen = {"worlds", [] {
                      CatalogueSession session;
                      PrintLines(session.Worlds());
                      return ExitSuccess;
                  }};
    });
}

void AddSectorsCommand(CLI::App& velmora, ChosenCommand& chosen) {
    auto world = std::make_shared<std::string>();
    CLI::App* sectors = AddSubcommand(
        velmora, "sectors", "the sector names of WORLD (default: the first world)",
        "Prints the sector names of WORLD, one a line, in the order of the viewer's sector "
        "list.\nWithout WORLD, the sectors of the world the viewer lists first. An unknown world "
        "exits with 2.");
    sectors->add_option("WORLD", *world, "a world as `velmora worlds` lists it");
    sectors->callback([&chosen, world] {
        chosen = {
            "sectors", [world] {
                CatalogueSession session;
                PrintLines(world->empty() ? session.FirstWorldSectors() : session.Sectors(*world));
                return ExitSuccess;
            }};
    });
}

void AddHeightmapCommand(CLI::App& velmora, ChosenCommand& chosen) {
    struct Arguments {
        std::string world;
        std::string sector;
    };
    auto arguments = std::make_shared<Arguments>();
    CLI::App* heightmap = AddSubcommand(
        velmora, "heightmap", "the heightmap path the viewer would load",
        "Prints the path of the heightmap file the viewer loads for SECTOR of WORLD, in "
        "Windows\nform, and on a second line the host path it resolves to on the Wine prefix (the "
        "file need\nnot exist). An unknown world or sector exits with 2.");
    heightmap->add_option("WORLD", arguments->world, "a world as `velmora worlds` lists it")
        ->required();
    heightmap->add_option("SECTOR", arguments->sector, "a sector as `velmora sectors` lists it")
        ->required();
    heightmap->callback([&chosen, arguments] {
        chosen = {"heightmap", [arguments] {
                      CatalogueSession session;
                      const std::string path =
                          session.HeightmapPath(arguments->world, arguments->sector);
                      std::printf("%s\n%s\n", path.c_str(), ReadableHostPath(path).c_str());
                      return ExitSuccess;
                  }};
    });
}
