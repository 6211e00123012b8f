#include "world_layout.h"

#include <cstdio>

#include "app/platform/wine/windows_path.h"
#include "command.h"

CatalogueLayout LayOutWorld(const std::vector<CatalogueSession::SectorFile>& files,
                            const std::string& command) {
    std::vector<world::SectorSource> sources;
    sources.reserve(files.size());
    for (const CatalogueSession::SectorFile& file : files) {
        sources.push_back({file.name, HostPathOf(file.heightmapPath)});
    }
    CatalogueLayout layout;
    static_cast<world::WorldLayout&>(layout) = world::LayOutWorld(sources);
    layout.unreadable.assign(layout.sectors.size(), 0);
    if (!layout.unplaced.empty()) {
        std::string names;
        for (const std::string& name : layout.unplaced) {
            names += (names.empty() ? "" : ", ") + PrintableName(name);
        }
        std::fprintf(stderr, "velmora %s: sectors without a place on the grid, left out: %s\n",
                     command.c_str(), names.c_str());
    }
    if (layout.sectors.empty()) {
        throw CommandFailure(ExitFailure, "the world has no sector named A_B to place");
    }
    return layout;
}

std::filesystem::path HostPathOf(const std::string& windowsPath) {
    return wine::ResolveWindowsPath(windowsPath).hostPath;
}

std::string PrintableName(std::string_view name) {
    std::string printable(name);
    for (char& c : printable) {
        if (c < 0x20 || c > 0x7e) {
            c = '_';
        }
    }
    return printable;
}
