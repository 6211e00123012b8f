// velmora web WORLD DIR: the world as a static site, or the site brought up to date.

#include <cstdio>
#include <memory>
#include <string>

#include "command.h"
#include "site_session.h"
#include "world_layout.h"

namespace {

struct WebRequest {
    std::string world;
    std::string folder;
    std::string texture;
    bool force = false;
};

int RunWeb(const WebRequest& request) {
    SiteSession session("web", request.world, request.texture, request.force);
    const web::SiteReport report = session.Write(request.folder);
    std::printf("%s: %s, %zu height tiles; %zu files written, %zu removed\n",
                PrintableName(request.folder).c_str(),
                report.created ? "a new site" : "brought up to date", report.tiles,
                report.filesWritten, report.filesRemoved);
    return ExitSuccess;
}

}  // namespace

void AddWebCommand(CLI::App& velmora, ChosenCommand& chosen) {
    auto request = std::make_shared<WebRequest>();
    CLI::App* web = AddSubcommand(
        velmora, "web", "the whole world as a web site, 2D and 3D",
        "Writes WORLD into DIR as a static web site: DIR/index.html opens in a browser from disk\n"
        "or from any static host, with a map to pan and zoom (height, hillshade or both, the\n"
        "sector grid) and the world in 3D to fly over, as velmora-world shows it. Links:\n"
        "index.html#sector=A_B opens the map on a sector, index.html#camera=X,Y,Z,YAW,PITCH the\n"
        "3D view from a camera. Nothing is fetched from elsewhere.\n"
        "Run again, it brings the site up to date, writing again only what changed sectors\n"
        "touch; a page open meanwhile never reads a half-written file, and a run stopped\n"
        "anywhere is finished by the next. A DIR that holds other files is refused without\n"
        "--force, which writes the site beside them, replacing or removing none of them (a\n"
        "file of another's where one of the site's goes is refused, before anything is\n"
        "written). One velmora writes a DIR at a time: another one (web or serve) that holds it\n"
        "makes this one refuse at once, naming it. The ground texture is terrain.image in the\n"
        "current directory, as the viewer's, or --texture FILE. Unreadable sectors are left\n"
        "out and named on stderr.");
    web->add_option("WORLD", request->world, "a world, as listed or as its folder")->required();
    web->add_option("DIR", request->folder, "the site's folder")->required();
    web->add_option("--texture", request->texture,
                    "ground texture (default: terrain.image in the current directory)")
        ->type_name("FILE");
    web->add_flag("--force", request->force,
                  "writes beside the other files of a folder, replacing or removing none");
    web->callback([&chosen, request] { chosen = {"web", [request] { return RunWeb(*request); }}; });
}
