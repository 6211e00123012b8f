#include "web/site_writer.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>
#include <string_view>
#include <system_error>

#include "web/data_file.h"
#include "web/site_files.h"
#include "web/site_folder.h"
#include "web/site_layout.h"
#include "web/site_record.h"
#include "web/world_script.h"
#include "world/render/ground_image.h"
#include "world/summary_file.h"

namespace web {

namespace {

namespace fs = std::filesystem;

std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) {
        throw SiteFileError("cannot read " + path.string());
    }
    return text.str();
}

std::vector<std::uint8_t> GroundPayload(const world::render::GroundImage& image) {
    Payload payload;
    payload.U32(image.width);
    payload.U32(image.height);
    payload.Bytes(image.rgba);
    return std::move(payload.bytes);
}

// One run of the writer over a site, step by step: what is ours to replace, what this run is
// about to write recorded first, each world's data, the ground, the page, what the new site no
// longer names, the site's index last, then what runs before left behind.
class SiteRun {
public:
    SiteRun(const fs::path& folder, const SiteOptions& options)
        : folder_(folder),
          options_(options),
          files_(folder),
          pages_(PageFiles(options)),
          state_(InspectFolder(files_, pages_)),
          record_(state_.record) {
        if (!state_.ours && !options.force) {
            throw NotASite(NotOursMessage(folder));
        }
    }

    // Refuses, naming it, a path of the site's taken by a file that is not ours, before
    // anything is written; then picks this run's version.
    void Prepare();
    // Records what this run is about to write, so that a run stopped anywhere is finished by
    // the next.
    void Mark();
    void WriteWorlds(std::vector<SiteWorld> worlds);
    void WriteGround();
    void WritePage();
    // What the record named that the new site does not take over, and what runs before
    // retired that is still there.
    void Retire();
    // The site's index, last: from here on the site is the new one; then the record.
    void WriteIndex();
    // Brings the folder back to the site as it was, or says how it is left.
    [[noreturn]] void Fail(const SiteFileError& failure);
    // Removes what the new site no longer names, and what stopped runs left.
    void Sweep();

    SiteReport report;

private:
    const RecordedWorld* RecordedOf(const std::string& folder) const {
        if (!record_) {
            return nullptr;
        }
        const auto found = record_->worlds.find(folder);
        return found == record_->worlds.end() ? nullptr : &found->second;
    }
    void RemoveCounted(const std::string& path) {
        report.filesRemoved += files_.Remove(path) ? 1 : 0;
    }

    const fs::path& folder_;
    const SiteOptions& options_;
    SiteFiles files_;
    const std::map<std::string, fs::path> pages_;
    const FolderState state_;
    const std::optional<SiteRecord>& record_;
    // Every path of the site's outside data files: the record, the index, the page's files.
    std::vector<std::string> paths_;
    std::uint64_t version_ = 0;
    SiteRecord next_;
    std::vector<std::string> entries_;
    std::vector<std::string> superseded_;
    // Whether a file of the site as it was has been replaced: the site is then no longer as
    // it was, should the run fail.
    bool replaced_ = false;
};

void SiteRun::Prepare() {
    // The files already there that are ours to replace: those the record names, or, without a
    // record that reads, every one of ours found in a folder that holds nothing else.
    std::set<std::string> mine;
    if (record_) {
        for (const auto& [path, hash] : record_->pageFiles) {
            mine.insert(path);
        }
        mine.insert(record_->pendingFiles.begin(), record_->pendingFiles.end());
    } else if (state_.ours) {
        for (const auto& [path, source] : pages_) {
            mine.insert(path);
        }
    }
    if (state_.ours) {
        mine.insert(std::string(SiteIndexPath));
        mine.insert(std::string(SingleWorldIndexPath));
    }
    if (state_.format > 0) {
        mine.insert(std::string(RecordFileName));
    }
    std::vector<std::string> taken;
    paths_ = {std::string(RecordFileName), std::string(SiteIndexPath)};
    for (const auto& [path, source] : pages_) {
        paths_.push_back(path);
    }
    for (const std::string& path : paths_) {
        const SiteEntryKind kind = files_.Kind(path);
        if (kind != SiteEntryKind::Missing &&
            !(kind == SiteEntryKind::File && mine.contains(path))) {
            taken.push_back(path);
        }
    }
    if (!taken.empty()) {
        throw NotASite((folder_ / taken.front()).string() + " is not velmora's" +
                       (taken.size() > 1 ? " (nor " + std::to_string(taken.size() - 1) +
                                               " more of the site's paths)"
                                         : std::string()) +
                       "; the site would replace it: nothing is written");
    }
    for (const std::string& path : mine) {
        files_.MayReplace(path);
    }
    files_.MayReplace(std::string(RecordFileName));
    report.created = !record_ || record_->version == 0;

    // A version no data file in the folder has, whatever happened to the record: its names are
    // new, so a browser never takes another's bytes from its cache for one of them.
    std::uint64_t highest = record_ ? record_->version : 0;
    if (record_ && !record_->pendingVersions.empty()) {
        highest = std::max(highest, *record_->pendingVersions.rbegin());
    }
    if (!record_ || options_.sweepOrphans) {
        highest = std::max(highest, HighestDataVersion(files_));
    }
    if (highest == std::numeric_limits<std::uint64_t>::max()) {
        throw NotASite(folder_.string() + " has used every version a site can have");
    }
    version_ = highest + 1;
    next_.version = version_;
}

void SiteRun::Mark() {
    SiteRecord marking = record_ ? *record_ : SiteRecord{};
    marking.pendingVersions.insert(version_);
    // Every file the record does not name yet, whether or not it was taken as ours without one.
    for (const std::string& path : paths_) {
        if (path != RecordFileName && !(record_ && record_->pageFiles.contains(path))) {
            marking.pendingFiles.insert(path);
        }
    }
    try {
        files_.Write(std::string(RecordFileName), SerialiseSiteRecord(marking));
    } catch (const SiteFileError& failure) {
        throw SiteWriteError(failure.what(),
                             report.created && !record_ ? LeftSite::Unfinished : LeftSite::AsItWas);
    }
    files_.Keep();
}

void SiteRun::WriteWorlds(std::vector<SiteWorld> worlds) {
    static const std::map<std::string, RecordedFile> none;
    std::set<std::string> folders;
    for (SiteWorld& world : worlds) {
        const std::string folder = WorldFolderOf(world.name);
        if (!folders.insert(folder).second) {
            continue;
        }
        const RecordedWorld* recorded = RecordedOf(folder);
        const std::string name = world.name;
        WrittenWorld written = WriteWorldData(files_, std::move(world), recorded,
                                              record_ ? record_->files : none, version_, options_);
        if (written.read) {
            std::vector<std::string>& changes = report.changes[name];
            changes.insert(changes.end(), written.changedSectors.begin(),
                           written.changedSectors.end());
        }
        report.tiles += written.tiles;
        report.filesWritten += written.filesWritten;
        report.unplaced.insert(report.unplaced.end(), written.unplaced.begin(),
                               written.unplaced.end());
        superseded_.insert(superseded_.end(), written.superseded.begin(), written.superseded.end());
        next_.files.merge(written.files);
        entries_.push_back(written.record.entry);
        next_.worlds[folder] = std::move(written.record);
        ++report.worlds;
    }
    if (record_) {
        for (const auto& [folder, world] : record_->worlds) {
            if (!next_.worlds.contains(folder)) {
                report.changes[world.name];
            }
        }
    }
}

void SiteRun::WriteGround() {
    if (options_.groundTexture.empty()) {
        return;
    }
    const std::string key(GroundKey);
    const auto file = world::KeyOfFile(options_.groundTexture.string());
    const std::optional<SourceStamp> stamp =
        file ? std::optional<SourceStamp>(
                   {HashOf(file->path), file->size, file->modifiedNanoseconds})
             : std::nullopt;
    const auto was =
        record_ ? record_->files.find(key) : std::map<std::string, RecordedFile>::const_iterator{};
    if (stamp && record_ && was != record_->files.end() && record_->ground == stamp) {
        next_.files[key] = was->second;
        next_.ground = stamp;
        return;
    }
    try {
        const std::vector<std::uint8_t> payload =
            GroundPayload(world::render::ReadGroundImage(options_.groundTexture));
        files_.Write(DataFilePath(key, version_), DataFileText(key, payload));
        next_.files[key] = {version_, 0};
        next_.ground = stamp;
        ++report.filesWritten;
    } catch (const SiteFileError&) {
        throw;
    } catch (const std::runtime_error& problem) {
        // Grey ground, as the viewer without its texture.
        if (options_.groundProblem) {
            options_.groundProblem(problem.what());
        }
    }
}

void SiteRun::WritePage() {
    // Where their bytes changed, or the file is not there (a user removed it).
    for (const auto& [path, source] : pages_) {
        const std::string bytes = ReadWhole(source);
        const std::uint64_t hash = HashOf(bytes);
        const bool same =
            record_ && record_->pageFiles.contains(path) && record_->pageFiles.at(path) == hash;
        const SiteEntryKind there = files_.Kind(path);
        if (!same || there != SiteEntryKind::File) {
            files_.Write(path, bytes);
            replaced_ = replaced_ || there == SiteEntryKind::File;
            ++report.filesWritten;
        }
        next_.pageFiles[path] = hash;
    }
}

void SiteRun::Retire() {
    if (record_) {
        for (const auto& [key, file] : record_->files) {
            const auto kept = next_.files.find(key);
            if (kept == next_.files.end() || kept->second.version != file.version) {
                superseded_.push_back(DataFilePath(key, file.version));
            }
        }
        for (const auto& [path, hash] : record_->pageFiles) {
            if (!next_.pageFiles.contains(path)) {
                superseded_.push_back(path);
            }
        }
    }
    // The index of the layout of one world goes with its files.
    if (state_.ours && (!record_ || record_->singleWorldLayout) &&
        files_.Kind(std::string(SingleWorldIndexPath)) == SiteEntryKind::File) {
        superseded_.emplace_back(SingleWorldIndexPath);
    }
    next_.retired.insert(superseded_.begin(), superseded_.end());
    if (record_) {
        for (const std::string& path : record_->retired) {
            if (files_.Kind(path) == SiteEntryKind::File) {
                next_.retired.insert(path);
            }
        }
    }
    for (const auto& [key, file] : next_.files) {
        next_.retired.erase(DataFilePath(key, file.version));
    }
    for (const auto& [path, hash] : next_.pageFiles) {
        next_.retired.erase(path);
    }
}

void SiteRun::WriteIndex() {
    SiteIndexInput index;
    index.version = version_;
    index.live = options_.live;
    if (const auto ground = next_.files.find(std::string(GroundKey)); ground != next_.files.end()) {
        index.ground = ground->second.version;
    }
    index.worlds = entries_;
    replaced_ = true;
    files_.Write(std::string(SiteIndexPath), SiteIndexScript(index));
    ++report.filesWritten;
    files_.Keep();
    files_.Write(std::string(RecordFileName), SerialiseSiteRecord(next_));
    files_.Keep();
}

void SiteRun::Fail(const SiteFileError& failure) {
    const bool cleared = files_.Discard();
    if (report.created) {
        throw SiteWriteError(failure.what(), LeftSite::Unfinished);
    }
    if (replaced_ || !cleared) {
        throw SiteWriteError(failure.what(), LeftSite::PartlyNew);
    }
    // The record as it was, as well; were it not, the marking says no more than it did.
    try {
        files_.Write(std::string(RecordFileName), *state_.recordText);
    } catch (const SiteFileError&) {
    }
    throw SiteWriteError(failure.what(), LeftSite::AsItWas);
}

void SiteRun::Sweep() {
    std::set<std::string> named = {std::string(SiteIndexPath)};
    for (const auto& [key, file] : next_.files) {
        named.insert(DataFilePath(key, file.version));
    }
    for (const auto& [path, hash] : next_.pageFiles) {
        named.insert(path);
    }
    const std::set<std::string> thisRun(superseded_.begin(), superseded_.end());
    if (options_.live) {
        // Left for the server, which removes them once open pages had time to move on.
        report.superseded.assign(thisRun.begin(), thisRun.end());
    }
    for (const std::string& path : next_.retired) {
        const bool remove = !options_.live || (options_.sweepOrphans && !thisRun.contains(path));
        if (remove && files_.Kind(path) == SiteEntryKind::File) {
            RemoveCounted(path);
        }
    }
    // What runs stopped part way left: their data files and page files no record names, and
    // temporary files beside any file of ours.
    if (record_ && (!record_->pendingVersions.empty() || !record_->pendingFiles.empty())) {
        for (const SiteEntry& entry : files_.Entries("data")) {
            const auto data = ParseDataPath(entry.path, true);
            if (entry.regular && data && record_->pendingVersions.contains(data->version) &&
                !named.contains(entry.path)) {
                RemoveCounted(entry.path);
            }
        }
        for (const std::string& path : record_->pendingFiles) {
            if (!named.contains(path) && path != RecordFileName &&
                files_.Kind(path) == SiteEntryKind::File) {
                RemoveCounted(path);
            }
        }
    }
    if (options_.sweepOrphans || (record_ && !record_->pendingVersions.empty())) {
        for (const SiteEntry& entry : files_.Entries()) {
            const std::size_t slash = entry.path.rfind('/');
            const std::string leaf =
                slash == std::string::npos ? entry.path : entry.path.substr(slash + 1);
            std::string base;
            if (entry.regular && IsTemporaryName(leaf, &base) &&
                IsGeneratorPath(entry.path.substr(0, entry.path.size() - leaf.size()) + base,
                                pages_)) {
                RemoveCounted(entry.path);
            }
        }
    }
    report.version = version_;
}

}  // namespace

void CheckSiteFolder(const fs::path& folder, const SiteOptions& options) {
    if (folder.empty()) {
        throw NotASite("no folder given");
    }
    std::error_code error;
    const fs::file_status link = fs::symlink_status(folder, error);
    if (link.type() == fs::file_type::not_found) {
        fs::create_directories(folder, error);
        if (error) {
            throw NotASite("cannot make the folder " + folder.string() + ": " +
                           (error == std::errc::not_a_directory || error == std::errc::file_exists
                                ? std::string("a part of its path is a file or a link to nothing")
                                : error.message()));
        }
    } else if (link.type() == fs::file_type::symlink && !fs::exists(folder, error)) {
        throw NotASite(folder.string() + " is a symbolic link to nothing");
    } else if (!fs::is_directory(folder, error)) {
        throw NotASite(folder.string() + " is not a folder");
    }
    const SiteFiles files(folder);
    if (!InspectFolder(files, PageFiles(options), false).ours && !options.force) {
        throw NotASite(NotOursMessage(folder));
    }
}

SiteReport WriteSite(std::vector<SiteWorld> worlds, const fs::path& folder,
                     const SiteOptions& options, const SiteLock& held) {
    if (!held.Holds(folder)) {
        throw std::logic_error("a site is written under its own lock: " + folder.string());
    }
    SiteRun run(folder, options);
    run.Prepare();
    run.Mark();
    try {
        run.WriteWorlds(std::move(worlds));
        run.WriteGround();
        run.WritePage();
        run.Retire();
        run.WriteIndex();
    } catch (const SiteFileError& failure) {
        run.Fail(failure);
    }
    run.Sweep();
    return std::move(run.report);
}

void RemoveSuperseded(const fs::path& folder, const std::vector<std::string>& files) {
    try {
        SiteFiles site(folder);
        for (const std::string& path : files) {
            site.Remove(path);
        }
    } catch (const SiteFileError&) {
        // The folder is gone: so are its files.
    }
}

}  // namespace web
