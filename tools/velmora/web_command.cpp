// velmora web WORLD... DIR, velmora web --all DIR: worlds as a static site, or the site brought
// up to date.

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "command.h"
#include "headless_catalogue/site_worlds.h"
#include "site_messages.h"
#include "site_options.h"
#include "text/printable_name.h"
#include "web/site_session.h"
#include "world_layout.h"

namespace {

struct WebRequest {
    // The worlds, then the folder.
    std::vector<std::string> operands;
    bool all = false;
    std::string texture;
    bool force = false;
};

int RunWeb(const WebRequest& request) {
    std::vector<std::string> worlds = request.operands;
    const std::string folder = worlds.back();
    worlds.pop_back();
    if (worlds.empty() != request.all) {
        throw CommandFailure(ExitUsage, request.all ? "--all takes no WORLD: it writes every world"
                                                    : "name a WORLD and the DIR, or --all DIR");
    }
    SiteMessages messages("web");
    headless_catalogue::SiteWorlds catalogue;
    web::SiteSession session(
        catalogue, worlds, request.all,
        [&] { return SiteOptionsFor(request.texture, request.force); }, messages.Reports());
    web::SiteReport report;
    {
        const web::SiteLock held =
            session.Lock(folder, "velmora web (pid " + std::to_string(getpid()) + ")");
        report = session.Write(held);
    }
    SayUnplaced("web", report.unplaced);
    const std::string count =
        report.worlds == 1 ? std::string("one world") : std::to_string(report.worlds) + " worlds";
    std::printf("%s: %s, %s, %zu height tiles; %zu files written, %zu removed\n",
                text::PrintableName(folder).c_str(),
                report.created ? "a new site" : "brought up to date", count.c_str(), report.tiles,
                report.filesWritten, report.filesRemoved);
    return ExitSuccess;
}

}  // namespace

void AddWebCommand(CLI::App& velmora, ChosenCommand& chosen) {
    auto request = std::make_shared<WebRequest>();
    CLI::App* web = AddSubcommand(
        velmora, "web", "whole worlds as a web site, 2D and 3D",
        "Writes WORLD (or several, or with --all every world of the install) into DIR as a\n"
        "static web site: DIR/index.html opens in a browser from disk or from any static host,\n"
        "with a map to pan and zoom (height, hillshade or both, the sector grid) and the world in\n"
        "3D to fly over, as velmora-world shows it. A site of several worlds opens on a list of\n"
        "them and switches between them in place. Links: index.html#sector=A_B opens the map on\n"
        "a sector, index.html#camera=X,Y,Z,YAW,PITCH the 3D view from a camera, each after\n"
        "#world=NAME& in a site of several worlds. Nothing is fetched from elsewhere.\n"
        "Run again, it brings the site up to date, writing again only what changed sectors\n"
        "touch; a page open meanwhile never reads a half-written file, and a run stopped\n"
        "anywhere is finished by the next. A DIR that holds other files is refused without\n"
        "--force, which writes the site beside them, replacing or removing none of them (a\n"
        "file of another's where one of the site's goes is refused, before anything is\n"
        "written). One velmora writes a DIR at a time: another one (web or serve) that holds it\n"
        "makes this one refuse at once, naming it. The ground texture is terrain.image in the\n"
        "current directory, as the viewer's, or --texture FILE. Unreadable sectors are left\n"
        "out and named on stderr.");
    // One list, the folder last: CLI11 gives a list before a positional every word.
    web->add_option("WORLD... DIR", request->operands,
                    "the worlds, as listed or as their folders, then the site's folder")
        ->required();
    web->add_flag("--all", request->all, "every world of the install, none named");
    web->add_option("--texture", request->texture,
                    "ground texture (default: terrain.image in the current directory)")
        ->type_name("FILE");
    web->add_flag("--force", request->force,
                  "writes beside the other files of a folder, replacing or removing none");
    web->callback([&chosen, request] {
        chosen = {"web", [request] { return WithSiteFailures([&] { return RunWeb(*request); }); }};
    });
}
