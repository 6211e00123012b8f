#pragma once
// A world's web site as `velmora web` and `velmora serve` write it: the catalogue's world and
// sectors, the page's files, Leaflet and the ground texture found, and what goes wrong said on
// stderr with the command's name.

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "web/site_writer.h"

class SiteSession {
public:
    // Finds the world (exit 2 when unknown), the page's files and Leaflet (exit 1 when missing)
    // and the texture: `texture`, else terrain.image of the current directory as the viewer
    // finds it.
    SiteSession(std::string command, const std::string& world, const std::string& texture,
                bool force);

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

    const std::string& World() const { return world_; }
    // The folder of the world's sector folders.
    const std::filesystem::path& Terrain() const { return terrain_; }

private:
    std::string command_;
    std::string world_;
    std::filesystem::path terrain_;
    web::SiteOptions options_;
    // The catalogue's sectors as the constructor found them, for the first Write.
    std::vector<world::SectorSource> listed_;
    // The unreadable sectors said so far, with why.
    std::set<std::string> toldUnreadable_;
};
