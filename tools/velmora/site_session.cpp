#include "site_session.h"

#include "web/site_files.h"

#include <unistd.h>

#include <cstdio>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "app/platform/wine/windows_path.h"
#include "catalogue_session.h"
#include "command.h"
#include "progress_line.h"
#include "world/summary_file.h"
#include "world_layout.h"

namespace {

namespace fs = std::filesystem;

// Unreadable sectors named one a line; the rest are counted in one line.
constexpr std::size_t NamedUnreadable = 5;

// Where the page's files lie: installed, or in the build tree.
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

std::vector<world::SectorSource> SourcesOf(const std::string& world) {
    CatalogueSession session;
    return SectorSourcesOf(session.SectorFiles(world));
}

}  // namespace

SiteSession::SiteSession(std::string command, const std::string& world, const std::string& texture,
                         bool force)
    : command_(std::move(command)) {
    {
        CatalogueSession session;
        world_ = session.ResolveWorld(world);
        const std::vector<CatalogueSession::SectorFile> files = session.SectorFiles(world_);
        listed_ = SectorSourcesOf(files);
        // The terrain folder: where the catalogue's sector folders lie, or, for a world with
        // none yet, where it would look for one.
        terrain_ = files.empty()
                       ? HostPathOf(session.TerrainPath(world_))
                       : HostPathOf(files.front().heightmapPath).parent_path().parent_path();
    }
    options_.pageFiles = PageFiles();
    options_.leaflet = VELMORA_LEAFLET;
    options_.leafletLicence = VELMORA_LEAFLET_LICENCE;
    std::error_code error;
    if (!fs::is_regular_file(options_.leaflet / "leaflet.js", error)) {
        throw CommandFailure(ExitFailure, "Leaflet is missing (" + options_.leaflet.string() +
                                              "): install Debian's libjs-leaflet");
    }
    if (texture.empty()) {
        // As the viewer: .\terrain.image, in any case; none there, grey ground.
        const fs::path found = wine::ResolveWindowsPath(".\\terrain.image").hostPath;
        if (fs::exists(found, error)) {
            options_.groundTexture = found;
        }
    } else if (!fs::is_regular_file(texture, error)) {
        throw CommandFailure(
            ExitFailure, "the texture " + PrintableName(texture) +
                             (fs::exists(texture, error) ? " is not a file" : " does not exist"));
    } else {
        options_.groundTexture = texture;
    }
    options_.summaryFolder = world::DefaultSummaryFolder();
    options_.force = force;
}

web::SiteLock SiteSession::Lock(const fs::path& folder, const std::string& holder) {
    try {
        web::CheckSiteFolder(folder, options_);
        return web::SiteLock::Take(folder, holder);
    } catch (const web::SiteLocked& locked) {
        // A server holds its site for as long as it runs, and keeps it up to date itself.
        if (locked.holder.starts_with("velmora serve")) {
            throw CommandFailure(ExitFailure, PrintableName(folder.string()) + " is served by " +
                                                  locked.holder +
                                                  ", which keeps it up to date as the game writes");
        }
        throw CommandFailure(ExitFailure, PrintableName(folder.string()) + " is being written by " +
                                              locked.holder + "; run again once it is done");
    } catch (const std::runtime_error& refusal) {
        throw CommandFailure(ExitFailure, refusal.what());
    }
}

web::SiteReport SiteSession::Write(const fs::path& folder, bool live, bool sweep) {
    const web::SiteLock held =
        Lock(folder, "velmora " + command_ + " (pid " + std::to_string(getpid()) + ")");
    return Write(held, live, sweep);
}

web::SiteReport SiteSession::Write(const web::SiteLock& held, bool live, bool sweep) {
    const fs::path& folder = held.Folder();
    web::SiteOptions options = options_;
    options.live = live;
    options.sweepOrphans = sweep;
    std::size_t unreadable = 0;
    options.unreadable = [&](const std::string& name, const std::string& path,
                             const std::string& reason) {
        // Said once a session: a server writes the site again and again.
        if (!toldUnreadable_.insert(name + '\n' + reason).second) {
            return;
        }
        if (++unreadable <= NamedUnreadable) {
            std::fprintf(stderr, "velmora %s: cannot read %s: %s; left out\n", command_.c_str(),
                         PrintableName(path).c_str(), reason.c_str());
        }
    };
    options.groundProblem = [&](const std::string& reason) {
        std::fprintf(stderr, "velmora %s: the texture %s is not used, the ground is grey: %s\n",
                     command_.c_str(), PrintableName(options.groundTexture.string()).c_str(),
                     reason.c_str());
    };
    std::optional<ProgressLine> progress;
    options.progress = [&](std::size_t done, std::size_t total) {
        if (!progress) {
            progress.emplace(command_ + ": tiles,", total, "tiles");
        }
        progress->Update(done);
    };
    web::SiteReport report;
    try {
        report = web::WriteSite(world_, listed_.empty() ? SourcesOf(world_) : std::move(listed_),
                                folder, options, held);
        listed_.clear();
    } catch (const web::SiteWriteError& failure) {
        const char* left = failure.left == web::LeftSite::AsItWas ? "the site is left as it was"
                           : failure.left == web::LeftSite::Unfinished
                               ? "the site is not finished: run again to finish it"
                               : "the site is partly updated: run again to finish the update";
        throw CommandFailure(ExitFailure, std::string(failure.what()) + "; " + left);
    } catch (const std::runtime_error& failure) {
        throw CommandFailure(ExitFailure, failure.what());
    }
    progress.reset();
    if (unreadable > NamedUnreadable) {
        std::fprintf(stderr, "velmora %s: %zu more unreadable sectors left out\n", command_.c_str(),
                     unreadable - NamedUnreadable);
    }
    SayUnplaced(command_, report.unplaced);
    return report;
}
