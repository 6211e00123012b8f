#pragma once
// The web site of one world or several as `velmora web` and `velmora serve` write it: the
// catalogue's worlds and sectors, the page's files, Leaflet and the ground texture found, and
// what goes wrong said on stderr with the command's name.

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "web/site_writer.h"

class SiteSession {
public:
    // Finds the worlds (exit 2 for one unknown; with `all`, every world of the install, looked
    // for again at each write, as worlds come and go), the page's files and Leaflet (exit 1
    // when missing) and the texture: `texture`, else terrain.image of the current directory as
    // the viewer finds it.
    SiteSession(std::string command, const std::vector<std::string>& worlds, bool all,
                const std::string& texture, bool force);

    // The lock of `folder` (made when missing) for `holder`, a line saying who holds it, once
    // the folder is found to be one a site may be written into: nothing is written into one
    // that is not. For a command that writes the site more than once and keeps others out
    // meanwhile (velmora serve, for its whole life). Throws CommandFailure with one line (exit
    // 1) when the folder is refused or another holds its lock, naming the holder.
    web::SiteLock Lock(const std::filesystem::path& folder, const std::string& holder);

    // Writes the site into `folder` or brings it up to date, from the sectors as they are now,
    // holding the folder's lock meanwhile ("velmora COMMAND (pid N)"). Throws CommandFailure
    // with one line (exit 1) when it cannot, saying how the site is left. With `live`, the
    // site is one a server follows (see web::SiteOptions::live); `sweep` removes what runs
    // before left of theirs (not while a server keeps superseded files).
    web::SiteReport Write(const std::filesystem::path& folder, bool live = false,
                          bool sweep = true);
    // The same into the folder of `held`, a lock Lock gave.
    web::SiteReport Write(const web::SiteLock& held, bool live = false, bool sweep = true);

    // The worlds as the last write found them, in the catalogue's order.
    const std::vector<std::string>& Worlds() const { return worlds_; }
    // Each world's folder of sector folders.
    std::vector<std::filesystem::path> Terrains() const;
    // Whether the install's worlds are no longer those of the last write (never for worlds
    // named).
    bool WorldsMoved() const;
    // A folder of the site's own below the cache, for this install's worlds.
    std::filesystem::path DefaultFolder() const;

private:
    // The worlds' sectors as the catalogue has them now; worlds gone are left out (with
    // `all`) or have none.
    std::vector<web::SiteWorld> ReadWorlds();

    std::string command_;
    bool all_ = false;
    std::vector<std::string> worlds_;
    std::map<std::string, std::filesystem::path> terrains_;
    web::SiteOptions options_;
    // The catalogue's worlds as the constructor found them, for the first Write.
    std::vector<web::SiteWorld> listed_;
    // The unreadable sectors said so far, with why.
    std::set<std::string> toldUnreadable_;
};
