#pragma once
// Writes a world as a static site (docs/WEB.md), or brings one up to date: only what changed
// sectors touch is written again (the sectors' stamps, kept in the site's record, tell which),
// each file aside and renamed, the world's index last, and files no longer wanted removed after
// it. A folder that holds anything but a site of ours is refused unless forced, and nothing but
// the site's own files is ever removed.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "world/sector_source.h"

namespace web {

struct SiteOptions {
    // The page's own files (index.html, its style and scripts, icon.png), copied into the site.
    std::filesystem::path pageFiles;
    // Leaflet's files (leaflet.js, leaflet.css, images/) and its licence, copied into lib/leaflet.
    std::filesystem::path leaflet;
    std::filesystem::path leafletLicence;
    // The ground texture, any picture the viewer reads; empty: none, grey ground.
    std::filesystem::path groundTexture;
    // Where the first pass's summaries are kept between runs; empty: not kept.
    std::filesystem::path summaryFolder;
    // Writes into a folder that holds other files (never removing them).
    bool force = false;
    // A site that a server follows live: its pages listen for its events. Files the new site
    // no longer names stay, listed in the report, for the server to remove once pages that
    // loaded the old index had time to move on.
    bool live = false;
    // Removes the data files of ours that no record names (left by a run stopped before it
    // removed them). Not while a server still keeps superseded files for open pages.
    bool sweepOrphans = true;
    // Told of sectors that cannot be read (they are left out of the site), and of the work done.
    std::function<void(const std::string& name, const std::string& path, const std::string& reason)>
        unreadable;
    std::function<void(std::size_t done, std::size_t total)> progress;
    // Told when the ground texture cannot be used (the ground is then grey).
    std::function<void(const std::string& reason)> groundProblem;
};

// A folder that holds files of another kind than a site of ours.
struct NotASite : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct SiteReport {
    bool created = false;  // a new site, not an update
    std::size_t filesWritten = 0;
    std::size_t filesRemoved = 0;
    std::size_t tiles = 0;  // height tiles in the site
    std::vector<std::string> unplaced;
    std::uint64_t version = 0;
    // The sectors that changed, came or went since the site was written.
    std::vector<std::string> changedSectors;
    // For a live site: the files no longer named, relative to the site.
    std::vector<std::string> superseded;
};

// Removes files a report listed as superseded; the site's own files only.
void RemoveSuperseded(const std::filesystem::path& folder, const std::vector<std::string>& files);

// Throws NotASite, SiteFileError (a file that cannot be written: the site is left as it was)
// or std::runtime_error (a world without a sector to place).
SiteReport WriteSite(const std::string& world, std::vector<world::SectorSource> sources,
                     const std::filesystem::path& folder, const SiteOptions& options);

}  // namespace web
