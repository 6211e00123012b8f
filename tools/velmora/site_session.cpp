#include "site_session.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "app/platform/wine/windows_path.h"
#include "command_failure.h"
#include "headless_catalogue/catalogue_error.h"
#include "progress_line.h"
#include "web/site_files.h"
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

}  // namespace

std::vector<web::SiteWorld> SiteSession::ReadWorlds() {
    CatalogueSession session;
    if (all_) {
        worlds_ = session.Worlds();
    }
    std::vector<web::SiteWorld> worlds;
    terrains_.clear();
    for (const std::string& name : worlds_) {
        std::vector<CatalogueSession::SectorFile> files;
        try {
            files = session.SectorFiles(name);
            // Where the catalogue's sector folders lie, or, for a world with none yet, where it
            // would look for one.
            terrains_[name] =
                files.empty() ? HostPathOf(session.TerrainPath(name))
                              : HostPathOf(files.front().heightmapPath).parent_path().parent_path();
        } catch (const headless_catalogue::CatalogueError& gone) {
            // Removed since it was listed: it leaves a site of every world; a world named
            // stays, without sectors, until it is back.
            if (all_ || gone.reason != headless_catalogue::CatalogueError::Reason::UnknownName) {
                continue;
            }
        }
        worlds.push_back({name, SectorSourcesOf(files)});
    }
    if (all_) {
        std::erase_if(worlds_, [&](const std::string& name) { return !terrains_.contains(name); });
    }
    return worlds;
}

std::vector<fs::path> SiteSession::Terrains() const {
    std::vector<fs::path> terrains;
    for (const auto& [name, terrain] : terrains_) {
        terrains.push_back(terrain);
    }
    return terrains;
}

bool SiteSession::WorldsMoved() const {
    if (!all_) {
        return false;
    }
    try {
        return CatalogueSession().Worlds() != worlds_;
    } catch (const std::exception&) {
        return false;
    }
}

fs::path SiteSession::DefaultFolder() const {
    // The world's own for one world, as before there were several; the world cache's for
    // several.
    if (terrains_.empty()) {
        return world::DefaultSummaryFolder() / "worlds.site";
    }
    const fs::path terrain = terrains_.begin()->second;
    const fs::path key = all_ || worlds_.size() > 1 ? terrain.parent_path().parent_path() : terrain;
    return world::DefaultSummaryFolder() /
           world::SummaryFileFor("", key).replace_extension(all_ || worlds_.size() > 1 ? ".sites"
                                                                                      : ".site");
}

SiteSession::SiteSession(std::string command, const std::vector<std::string>& worlds, bool all,
                         const std::string& texture, bool force)
    : command_(std::move(command)), all_(all) {
    {
        CatalogueSession session;
        for (const std::string& world : worlds) {
            const std::string name = session.ResolveWorld(world);
            if (std::find(worlds_.begin(), worlds_.end(), name) == worlds_.end()) {
                worlds_.push_back(name);
            }
        }
    }
    listed_ = ReadWorlds();
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
    std::size_t progressTotal = 0;
    options.progress = [&](std::size_t done, std::size_t total) {
        // A line a world.
        if (!progress || total != progressTotal) {
            progress.reset();
            progress.emplace(command_ + ": tiles,", total, "tiles");
            progressTotal = total;
        }
        progress->Update(done);
    };
    web::SiteReport report;
    try {
        std::vector<web::SiteWorld> worlds = listed_.empty() ? ReadWorlds() : std::move(listed_);
        listed_.clear();
        report = web::WriteSite(std::move(worlds), folder, options, held);
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
