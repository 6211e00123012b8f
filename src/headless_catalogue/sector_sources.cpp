#include "headless_catalogue/sector_sources.h"

#include <fcntl.h>

#include <algorithm>
#include <exception>
#include <map>
#include <string_view>
#include <thread>

#include "app/platform/wine/windows_path.h"
#include "world/file_descriptor.h"
#include "world/summary_file.h"

namespace headless_catalogue {

namespace {

// The host paths of many heightmaps in one world. Resolving a Windows path looks up each of its
// components; the folders above the sectors' are the same for every sector, so they are resolved
// (and opened) once, and a sector's folder and file looked up from there as spelt, which is what
// the case-insensitive lookup would find first where they exist so. That one look also stamps the
// file for the first pass. Names that a full path would spell otherwise ("..", a trailing dot),
// and anything but a regular file there, take the whole resolution.
class HeightmapHostPaths {
public:
    // The source of a sector: its host path, and the stamp of its file when it was looked at.
    world::SectorSource Of(std::string name, const std::string& windowsPath) {
        const std::size_t last = windowsPath.find_last_of("\\/");
        const std::size_t folder = last == std::string::npos || last == 0
                                       ? std::string::npos
                                       : windowsPath.find_last_of("\\/", last - 1);
        if (folder != std::string::npos) {
            const std::string_view text(windowsPath);
            const std::string_view sector = text.substr(folder + 1, last - folder - 1);
            const std::string_view file = text.substr(last + 1);
            const Folder& above = Above(text.substr(0, folder));
            if (Plain(sector) && Plain(file) && above.descriptor.get() >= 0) {
                std::string below(sector);
                below += '/';
                below += file;
                if (auto stamp = world::StampOfFile(above.descriptor.get(), below.c_str())) {
                    return {std::move(name), above.host + below, stamp};
                }
            }
        }
        return {std::move(name), wine::ResolveWindowsPath(windowsPath).hostPath.string(),
                std::nullopt};
    }

private:
    struct Folder {
        std::string host;                  // ending in '/'
        world::FileDescriptor descriptor;  // open while the folder exists
    };

    // A name that a full path spells as it stands: not "." or "..", no trailing dot or space
    // (which Windows drops), no drive or stream colon.
    static bool Plain(std::string_view name) {
        return !name.empty() && name.back() != '.' && name.back() != ' ' &&
               name.find_first_of(std::string_view(":\0", 2)) == std::string_view::npos;
    }

    // Every sector's folder lies in the same one, so the last answer is asked for first.
    const Folder& Above(std::string_view windows) {
        if (last_ != nullptr && lastWindows_ == windows) {
            return *last_;
        }
        lastWindows_ = windows;
        auto found = above_.find(lastWindows_);
        if (found == above_.end()) {
            const wine::HostPath resolved = wine::ResolveWindowsPath(lastWindows_);
            Folder folder{
                (resolved.hostPath / "").string(),
                world::FileDescriptor(resolved.exists ? open(resolved.hostPath.c_str(),
                                                             O_PATH | O_DIRECTORY | O_CLOEXEC)
                                                      : -1)};
            found = above_.emplace(lastWindows_, std::move(folder)).first;
        }
        last_ = &found->second;
        return *last_;
    }

    std::map<std::string, Folder> above_;
    std::string lastWindows_;
    const Folder* last_ = nullptr;
};

}  // namespace

std::vector<world::SectorSource> SectorSourcesOf(
    const std::vector<CatalogueSession::SectorFile>& files) {
    std::vector<world::SectorSource> sources(files.size());
    // A look at a file is a system call; a big world has tens of thousands of files, so the
    // looking is shared out between threads, each with folders of its own.
    const std::size_t threads =
        files.size() < 4096 ? 1
                            : std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
    const std::size_t share = (files.size() + threads - 1) / threads;
    std::vector<std::exception_ptr> failures(threads);
    const auto resolve = [&](std::size_t part) {
        try {
            HeightmapHostPaths hostPaths;
            for (std::size_t f = part * share; f < std::min(files.size(), (part + 1) * share);
                 ++f) {
                sources[f] = hostPaths.Of(files[f].name, files[f].heightmapPath);
            }
        } catch (...) {
            failures[part] = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> helpers;
        for (std::size_t part = 1; part < threads; ++part) {
            helpers.emplace_back(resolve, part);
        }
        resolve(0);
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure) {
            std::rethrow_exception(failure);
        }
    }
    return sources;
}

std::filesystem::path HostPathOf(const std::string& windowsPath) {
    return wine::ResolveWindowsPath(windowsPath).hostPath;
}

}  // namespace headless_catalogue
