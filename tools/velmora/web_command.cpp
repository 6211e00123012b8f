// velmora web WORLD DIR: the world as a static site, or the site brought up to date.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/platform/wine/windows_path.h"
#include "catalogue_session.h"
#include "command.h"
#include "progress_line.h"
#include "web/site_files.h"
#include "web/site_writer.h"
#include "world/summary_file.h"
#include "world_layout.h"

namespace {

namespace fs = std::filesystem;

struct WebRequest {
    std::string world;
    std::string folder;
    std::string texture;
    bool force = false;
};

// The first of the folders that exists: where the page's files lie, installed or in the build
// tree.
fs::path PageFiles() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    for (const fs::path& candidate :
         {executable.parent_path() / VELMORA_WEB_INSTALLED, fs::path(VELMORA_WEB_STAGED)}) {
        std::error_code missing;
        if (fs::is_regular_file(candidate / "index.html", missing)) {
            return candidate.lexically_normal();
        }
    }
    throw CommandFailure(ExitFailure, "the web page's files are not installed beside velmora");
}

int RunWeb(const WebRequest& request) {
    std::vector<world::SectorSource> sources;
    std::string world;
    {
        CatalogueSession session;
        world = session.ResolveWorld(request.world);
        sources = SectorSourcesOf(session.SectorFiles(world));
    }
    web::SiteOptions options;
    options.pageFiles = PageFiles();
    options.leaflet = VELMORA_LEAFLET;
    options.leafletLicence = VELMORA_LEAFLET_LICENCE;
    std::error_code error;
    if (!fs::is_regular_file(options.leaflet / "leaflet.js", error)) {
        throw CommandFailure(ExitFailure, "Leaflet is missing (" + options.leaflet.string() +
                                              "): install Debian's libjs-leaflet");
    }
    if (request.texture.empty()) {
        // As the viewer: .\terrain.image, in any case; none there, grey ground.
        const fs::path found = wine::ResolveWindowsPath(".\\terrain.image").hostPath;
        if (fs::exists(found, error)) {
            options.groundTexture = found;
        }
    } else {
        options.groundTexture = request.texture;
    }
    options.summaryFolder = world::DefaultSummaryFolder();
    options.force = request.force;
    std::size_t unreadable = 0;
    options.unreadable = [&](const std::string&, const std::string& path,
                             const std::string& reason) {
        // A few named, the rest counted at the end.
        if (++unreadable <= 5) {
            std::fprintf(stderr, "velmora web: cannot read %s: %s; left out\n",
                         PrintableName(path).c_str(), reason.c_str());
        }
    };
    options.groundProblem = [&](const std::string& reason) {
        std::fprintf(stderr, "velmora web: the texture %s is not used, the ground is grey: %s\n",
                     PrintableName(options.groundTexture.string()).c_str(), reason.c_str());
    };
    std::optional<ProgressLine> progress;
    options.progress = [&](std::size_t done, std::size_t total) {
        if (!progress) {
            progress.emplace("web: tiles,", total, "tiles");
        }
        progress->Update(done);
    };
    web::SiteReport report;
    try {
        report = web::WriteSite(world, std::move(sources), request.folder, options);
    } catch (const web::NotASite& refusal) {
        throw CommandFailure(ExitFailure, refusal.what());
    } catch (const web::SiteFileError& failure) {
        throw CommandFailure(ExitFailure,
                             std::string(failure.what()) + "; the site is left as it was");
    } catch (const std::runtime_error& failure) {
        throw CommandFailure(ExitFailure, failure.what());
    }
    progress.reset();
    if (unreadable > 5) {
        std::fprintf(stderr, "velmora web: %zu more unreadable sectors left out\n", unreadable - 5);
    }
    if (!report.unplaced.empty()) {
        std::string names;
        for (const std::string& name : report.unplaced) {
            names += (names.empty() ? "" : ", ") + PrintableName(name);
        }
        std::fprintf(stderr, "velmora web: sectors without a place on the grid, left out: %s\n",
                     names.c_str());
    }
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
        "touch; a page open meanwhile never reads a half-written file. A DIR that holds other\n"
        "files is refused without --force, which writes the site into it and removes none of\n"
        "them. The ground texture is terrain.image in the current directory, as the viewer's,\n"
        "or --texture FILE. Unreadable sectors are left out and named on stderr.");
    web->add_option("WORLD", request->world, "a world, as listed or as its folder")->required();
    web->add_option("DIR", request->folder, "the site's folder")->required();
    web->add_option("--texture", request->texture,
                    "ground texture (default: terrain.image in the current directory)")
        ->type_name("FILE");
    web->add_flag("--force", request->force,
                  "writes into a folder that holds other files, removing none of them");
    web->callback([&chosen, request] { chosen = {"web", [request] { return RunWeb(*request); }}; });
}
