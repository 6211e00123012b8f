#include "web/site_session.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <string_view>
#include <utility>

#include "text/printable_name.h"
#include "world/summary_file.h"

namespace web {

namespace {

namespace fs = std::filesystem;

// Unreadable sectors named one a line; the rest are counted in one line.
constexpr std::size_t NamedUnreadable = 5;

// How a server's lock line starts: it holds its site for as long as it runs.
constexpr std::string_view ServerHolder = "velmora serve";

}  // namespace

SiteSession::SiteSession(WorldCatalogue& catalogue, const std::vector<std::string>& requested,
                         bool all, const std::function<SiteOptions()>& options,
                         SessionReports reports)
    : catalogue_(catalogue), all_(all), reports_(std::move(reports)) {
    for (const std::string& world : requested) {
        const std::string name = catalogue_.Resolve(world);
        if (std::find(worlds_.begin(), worlds_.end(), name) == worlds_.end()) {
            worlds_.push_back(name);
        }
    }
    listed_ = ReadWorlds();
    options_ = options();
}

std::vector<SiteWorld> SiteSession::ReadWorlds() {
    // A fresh look for named worlds too: one removed since is read as gone.
    std::vector<std::string> listed = catalogue_.Worlds();
    if (all_) {
        worlds_ = std::move(listed);
    }
    std::vector<SiteWorld> worlds;
    terrains_.clear();
    for (const std::string& name : worlds_) {
        std::optional<WorldSectors> read = catalogue_.Read(name);
        if (!read) {
            // Removed since it was listed: it leaves a site of every world; a world named
            // stays, without sectors, until it is back.
            if (!all_) {
                worlds.push_back({name, {}});
            }
            continue;
        }
        terrains_[name] = std::move(read->terrain);
        worlds.push_back({name, std::move(read->sources)});
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
        return catalogue_.Worlds() != worlds_;
    } catch (const std::exception&) {
        // The next write says what is wrong.
        return false;
    }
}

fs::path SiteSession::DefaultFolder() const {
    // The world's own for one world, as before there were several; the world cache's for
    // several.
    if (terrains_.empty()) {
        return world::DefaultSummaryFolder() / "worlds.site";
    }
    const bool several = all_ || worlds_.size() > 1;
    const fs::path terrain = terrains_.begin()->second;
    const fs::path key = several ? terrain.parent_path().parent_path() : terrain;
    return world::DefaultSummaryFolder() /
           world::SummaryFileFor("", key).replace_extension(several ? ".sites" : ".site");
}

SiteLock SiteSession::Lock(const fs::path& folder, const std::string& holder) {
    try {
        CheckSiteFolder(folder, options_);
        return SiteLock::Take(folder, holder);
    } catch (const SiteLocked& locked) {
        const std::string name = text::PrintableName(folder.string());
        // A server keeps its site up to date itself.
        if (locked.holder.starts_with(ServerHolder)) {
            throw SiteSessionError(name + " is served by " + locked.holder +
                                   ", which keeps it up to date as the game writes");
        }
        throw SiteSessionError(name + " is being written by " + locked.holder +
                               "; run again once it is done");
    } catch (const std::runtime_error& refusal) {
        throw SiteSessionError(refusal.what());
    }
}

SiteReport SiteSession::Write(const SiteLock& held, bool live, bool sweep) {
    SiteOptions options = options_;
    options.live = live;
    options.sweepOrphans = sweep;
    std::size_t unreadable = 0;
    options.unreadable = [&](const std::string&, const std::string& path,
                             const std::string& reason) {
        // Said once a session: a server writes the site again and again.
        if (!toldUnreadable_.insert(path + '\n' + reason).second) {
            return;
        }
        if (++unreadable <= NamedUnreadable) {
            Say("cannot read " + text::PrintableName(path) + ": " + reason + "; left out");
        }
    };
    options.groundProblem = [&](const std::string& reason) {
        Say("the texture " + text::PrintableName(options.groundTexture.string()) +
            " is not used, the ground is grey: " + reason);
    };
    options.progress = reports_.progress;
    const auto endProgress = [&] {
        if (reports_.progressEnded) {
            reports_.progressEnded();
        }
    };
    SiteReport report;
    try {
        std::vector<SiteWorld> worlds = listed_.empty() ? ReadWorlds() : std::move(listed_);
        listed_.clear();
        report = WriteSite(std::move(worlds), held.Folder(), options, held);
    } catch (const SiteWriteError& failure) {
        endProgress();
        const char* left = failure.left == LeftSite::AsItWas ? "the site is left as it was"
                           : failure.left == LeftSite::Unfinished
                               ? "the site is not finished: run again to finish it"
                               : "the site is partly updated: run again to finish the update";
        throw SiteSessionError(std::string(failure.what()) + "; " + left);
    } catch (const std::runtime_error& failure) {
        endProgress();
        throw SiteSessionError(failure.what());
    }
    endProgress();
    if (unreadable > NamedUnreadable) {
        Say(std::to_string(unreadable - NamedUnreadable) + " more unreadable sectors left out");
    }
    return report;
}

void SiteSession::Say(const std::string& line) const {
    if (reports_.say) {
        reports_.say(line);
    }
}

}  // namespace web
