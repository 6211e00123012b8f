#include "world_layout.h"

#include <cstdio>

#include "command_failure.h"
#include "headless_catalogue/sector_sources.h"
#include "text/printable_name.h"

void SayUnplaced(const std::string& command, const std::vector<std::string>& unplaced) {
    if (unplaced.empty()) {
        return;
    }
    std::string names;
    for (const std::string& name : unplaced) {
        names += (names.empty() ? "" : ", ") + text::PrintableName(name);
    }
    std::fprintf(stderr, "velmora %s: sectors without a place on the grid, left out: %s\n",
                 command.c_str(), names.c_str());
}

map::MapLayout LayOutWorld(
    const std::vector<headless_catalogue::CatalogueSession::SectorFile>& files,
    const std::string& command) {
    map::MapLayout layout = map::LayOutMap(headless_catalogue::SectorSourcesOf(files));
    SayUnplaced(command, layout.unplaced);
    if (layout.sectors.empty()) {
        throw CommandFailure(ExitFailure, "the world has no sector named A_B to place");
    }
    return layout;
}

void ReportUnreadable(const map::MapLayout& layout, std::size_t s, const std::string& reason,
                      bool skip, const std::string& command) {
    const std::string what =
        "cannot read " + text::PrintableName(layout.sectors[s].source.hostPath) + ": " + reason;
    if (!skip) {
        throw CommandFailure(ExitFailure, what + " (--skip-unreadable leaves its place empty)");
    }
    std::fprintf(stderr, "velmora %s: %s; its place is left empty\n", command.c_str(),
                 what.c_str());
}
