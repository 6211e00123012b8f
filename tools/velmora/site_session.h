#pragma once
// A world's web site as `velmora web` and `velmora serve` write it: the catalogue's world and
// sectors, the page's files, Leaflet and the ground texture found, and what goes wrong said on
// stderr with the command's name.

#include <filesystem>
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

    // Writes the site into `folder` or brings it up to date, from the sectors as they are now.
    // Throws CommandFailure with one line (exit 1) when it cannot; the site is then as it was.
    // With `live`, the site is one a server follows (see web::SiteOptions::live); `sweep`
    // removes the data files of ours no record names (not while a server keeps some).
    web::SiteReport Write(const std::filesystem::path& folder, bool live = false,
                          bool sweep = true);

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
};
