#pragma once
// Writes worlds as a static site (docs/WEB.md), or brings one up to date: only what changed
// sectors touch is written again (the sectors' stamps, kept in the site's record, tell which),
// each file aside and renamed, the site's index last, and files no longer wanted removed after
// it. A folder that holds anything but a site of ours is refused unless forced; forced, the
// site is written beside what the folder holds, never over it. The record says which files are
// ours, and what a run is about to write is recorded before it is written, so only files a run
// wrote are ever replaced or removed, and a run stopped anywhere is finished by the next.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "web/site_files.h"
#include "web/site_lock.h"
#include "web/world_data.h"

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
    // Writes into a folder that holds other files (never replacing or removing them).
    bool force = false;
    // A site that a server follows live: its pages listen for its events. Files the new site
    // no longer names stay, listed in the report, for the server to remove once pages that
    // loaded the old index had time to move on.
    bool live = false;
    // Removes what runs before left of theirs: files a record retired, what a run stopped part
    // way was writing, temporary files. Not while a server still keeps superseded files for
    // open pages.
    bool sweepOrphans = true;
    // Told of sectors that cannot be read (they are left out of the site), and of the work done.
    std::function<void(const std::string& name, const std::string& path, const std::string& reason)>
        unreadable;
    std::function<void(std::size_t done, std::size_t total)> progress;
    // Told when the ground texture cannot be used (the ground is then grey).
    std::function<void(const std::string& reason)> groundProblem;
};

// A folder that is not one to write a site into (files of another kind than a site of ours, a
// file of another's where the site's would go, a site of a newer program's); says why.
struct NotASite : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// How a run that failed part way left the folder.
enum class LeftSite {
    AsItWas,     // the site as it was before the run
    Unfinished,  // a new site, not finished: the next run finishes it
    PartlyNew,   // some files of the site already new: the next run finishes the update
};

struct SiteWriteError : SiteFileError {
    SiteWriteError(const std::string& what, LeftSite how) : SiteFileError(what), left(how) {}
    LeftSite left;
};

struct SiteReport {
    bool created = false;  // a new site, not an update
    std::size_t filesWritten = 0;
    std::size_t filesRemoved = 0;
    std::size_t tiles = 0;  // height tiles in the site
    std::vector<std::string> unplaced;
    std::uint64_t version = 0;
    std::size_t worlds = 0;
    // By world, the sectors that changed, came or went since the site was written; a world
    // that came or went is named, with the sectors it brought.
    std::map<std::string, std::vector<std::string>> changes;
    // For a live site: the files no longer named, relative to the site.
    std::vector<std::string> superseded;
};

// Removes files a report listed as superseded; the site's own files only.
void RemoveSuperseded(const std::filesystem::path& folder, const std::vector<std::string>& files);

// Makes `folder` when there is none and checks that a site may be written into it, writing
// nothing else: throws NotASite, saying why in plain words, when it may not. Before taking the
// site's lock, which makes a file in the folder.
void CheckSiteFolder(const std::filesystem::path& folder, const SiteOptions& options);

// Writes the site of `worlds` (in the order the page lists them; a name given twice is taken
// once) into `folder`, whose lock `held` is: worlds the site held and `worlds` does not name
// leave it. Throws NotASite (before anything is written) or SiteWriteError (a file that cannot
// be written; says how the site is left).
SiteReport WriteSite(std::vector<SiteWorld> worlds, const std::filesystem::path& folder,
                     const SiteOptions& options, const SiteLock& held);

}  // namespace web
