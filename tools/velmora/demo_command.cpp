// velmora demo DIR: writes the demo prefix.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "command_list.h"
#include "demo/demo_world.h"

void AddDemoCommand(CLI::App& velmora, ChosenCommand& chosen) {
    auto directory = std::make_shared<std::string>();
    CLI::App* demo = AddSubcommand(
        velmora, "demo", "writes the demo prefix into DIR",
        "Writes a small Wine prefix into DIR (created when missing): system.reg with the game's\n"
        "install-root key, dosdevices/c: pointing at drive_c, worlds of generated terrain in\n"
        "drive_c/Games/Quarlend/world_cache, and terrain.image, a tileable ground texture. The\n"
        "same bytes on every run. Run the viewer or velmora with WINEPREFIX=DIR, from DIR so that\n"
        "terrain.image is found.");
    demo->add_option("DIR", *directory, "the prefix directory")->required();
    demo->callback([&chosen, directory] {
        chosen = {"demo", [directory] {
                      const std::filesystem::path path{*directory};
                      demo::WriteDemoPrefix(path);
                      std::printf("wrote the demo prefix to %s\n", path.c_str());
                      return ExitSuccess;
                  }};
    });
}
