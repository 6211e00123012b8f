#pragma once
// The site of one world or several as a command writes it, once or again and again: the worlds
// found through the catalogue (those named, or every world, looked for anew at each write as
// worlds come and go), the site's folder checked and locked, and what the writing meets told to
// the user as lines: unreadable sectors once a session, a texture left unused.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "web/site_lock.h"
#include "web/site_writer.h"
#include "web/world_catalogue.h"

namespace web {

// The site cannot be locked or written; says why in one line, and how a write left the site.
struct SiteSessionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct SessionReports {
    // A line for the user, ready to print.
    std::function<void(const std::string& line)> say;
    // `done` of `total` tiles of the world being written; a new total starts another world.
    std::function<void(std::size_t done, std::size_t total)> progress;
    // The write is over, done or failed: no more progress until the next.
    std::function<void()> progressEnded;
};

class SiteSession {
public:
    // Finds the worlds: each of `requested` through catalogue.Resolve (UnknownWorld for one it
    // does not list), or with `all` every world. `options` is asked for once they are found, so
    // that an unknown world is said before what the site's own files lack; its callbacks are
    // the session's. `catalogue` must outlive the session.
    SiteSession(WorldCatalogue& catalogue, const std::vector<std::string>& requested, bool all,
                const std::function<SiteOptions()>& options, SessionReports reports);

    // The lock of `folder` (made when missing) for `holder`, a line saying who holds it, once
    // the folder is found to be one a site may be written into: nothing is written into one
    // that is not. Throws SiteSessionError when the folder is refused or another holds its
    // lock, naming the holder.
    SiteLock Lock(const std::filesystem::path& folder, const std::string& holder);

    // Writes the site into the folder of `held`, a lock Lock gave, or brings it up to date,
    // from the sectors as they are now. Throws SiteSessionError when it cannot, saying how the
    // site is left. With `live`, the site is one a server follows (see SiteOptions::live);
    // `sweep` removes what runs before left of theirs (not while a server keeps superseded
    // files).
    SiteReport Write(const SiteLock& held, bool live = false, bool sweep = true);

    // The worlds as the last write found them, in the catalogue's order.
    const std::vector<std::string>& Worlds() const { return worlds_; }
    // Each world's folder of sector folders, for the worlds the catalogue listed at the last
    // look.
    std::vector<std::filesystem::path> Terrains() const;
    // Whether the catalogue's worlds are no longer those of the last write (never for worlds
    // named).
    bool WorldsMoved() const;
    // A folder of the site's own below the user's cache, for these worlds.
    std::filesystem::path DefaultFolder() const;

private:
    // The worlds' sectors as the catalogue has them now; worlds gone are left out (with
    // `all`) or have none.
    std::vector<SiteWorld> ReadWorlds();
    void Say(const std::string& line) const;

    WorldCatalogue& catalogue_;
    bool all_ = false;
    SessionReports reports_;
    std::vector<std::string> worlds_;
    std::map<std::string, std::filesystem::path> terrains_;
    SiteOptions options_;
    // The worlds as the constructor found them, for the first Write.
    std::vector<SiteWorld> listed_;
    // The unreadable sectors said so far, with why.
    std::set<std::string> toldUnreadable_;
};

}  // namespace web
