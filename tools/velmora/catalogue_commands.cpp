// velmora worlds, sectors and heightmap: what the viewer's lists and sector loading would show.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <windows.h>
#include "catalogue_session.h"
#include "command.h"

namespace {

void PrintLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        std::printf("%s\n", line.c_str());
    }
}

void RequireArgumentCount(std::span<const std::string_view> arguments, std::size_t least,
                          std::size_t most) {
    if (arguments.size() < least || arguments.size() > most) {
        throw CommandFailure(ExitUsage, "wrong number of arguments; see --help");
    }
}

// The host path a Windows path resolves to, with the drive links followed where they can be.
std::string ReadableHostPath(const std::string& windowsPath) {
    const std::filesystem::path hostPath = wine::ResolveWindowsPath(windowsPath).hostPath;
    std::error_code error;
    const std::filesystem::path followed = std::filesystem::weakly_canonical(hostPath, error);
    return (error ? hostPath : followed).string();
}

int RunWorlds(std::span<const std::string_view> arguments) {
    RequireArgumentCount(arguments, 0, 0);
    CatalogueSession session;
    PrintLines(session.Worlds());
    return ExitSuccess;
}

int RunSectors(std::span<const std::string_view> arguments) {
    RequireArgumentCount(arguments, 0, 1);
    CatalogueSession session;
    PrintLines(arguments.empty() ? session.FirstWorldSectors()
                                 : session.Sectors(std::string(arguments[0])));
    return ExitSuccess;
}

int RunHeightmap(std::span<const std::string_view> arguments) {
    RequireArgumentCount(arguments, 2, 2);
    CatalogueSession session;
    const std::string path =
        session.HeightmapPath(std::string(arguments[0]), std::string(arguments[1]));
    std::printf("%s\n%s\n", path.c_str(), ReadableHostPath(path).c_str());
    return ExitSuccess;
}

}  // namespace

const Command WorldsCommand{
    "worlds", "", "the world names, in the viewer's order",
    "Prints the name of every world in the game's world cache, one a line, in the order of the\n"
    "viewer's world list. The install directory comes from the registry of the Wine prefix\n"
    "($WINEPREFIX, else ~/.wine, else a Steam Proton prefix that holds the game's key).\n",
    RunWorlds};

const Command SectorsCommand{
    "sectors", "[WORLD]", "the sector names of WORLD (default: the first world)",
    "Prints the sector names of WORLD, one a line, in the order of the viewer's sector list.\n"
    "Without WORLD, the sectors of the world the viewer lists first. An unknown world exits "
    "with 2.\n",
    RunSectors};

const Command HeightmapCommand{
    "heightmap", "WORLD SECTOR", "the heightmap path the viewer would load",
    "Prints the path of the heightmap file the viewer loads for SECTOR of WORLD, in Windows\n"
    "form, and on a second line the host path it resolves to on the Wine prefix (the file need\n"
    "not exist). An unknown world or sector exits with 2.\n",
    RunHeightmap};
