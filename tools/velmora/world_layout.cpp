#include "world_layout.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <string_view>

#include "app/platform/wine/windows_path.h"
#include "command.h"

namespace {

// The host paths of many heightmaps in one world. Resolving a Windows path looks up each of its
// components; the folders above the sectors' are the same for every sector, so they are resolved
// (and opened) once, and a sector's folder and file looked up from there as spelt, which is what
// the case-insensitive lookup would find first where they exist so. Names that a full path would
// spell otherwise ("..", a trailing dot) take the whole resolution.
class HeightmapHostPaths {
public:
    HeightmapHostPaths() = default;
    ~HeightmapHostPaths() {
        for (const auto& [windows, folder] : above_) {
            if (folder.descriptor >= 0) {
                close(folder.descriptor);
            }
        }
    }
    HeightmapHostPaths(const HeightmapHostPaths&) = delete;
    HeightmapHostPaths& operator=(const HeightmapHostPaths&) = delete;

    std::filesystem::path Of(const std::string& windowsPath) {
        const std::size_t file = windowsPath.find_last_of("\\/");
        const std::size_t folder = file == std::string::npos || file == 0
                                       ? std::string::npos
                                       : windowsPath.find_last_of("\\/", file - 1);
        if (folder != std::string::npos) {
            const std::string_view text(windowsPath);
            const std::string_view sector = text.substr(folder + 1, file - folder - 1);
            const std::string_view name = text.substr(file + 1);
            const Folder& above = Above(text.substr(0, folder));
            if (Plain(sector) && Plain(name) && above.descriptor >= 0) {
                std::string below(sector);
                below += '/';
                below += name;
                struct stat status {};
                if (fstatat(above.descriptor, below.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
                    return above.host / below;
                }
            }
        }
        return wine::ResolveWindowsPath(windowsPath).hostPath;
    }

private:
    struct Folder {
        std::filesystem::path host;
        int descriptor = -1;  // open while the folder exists
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
            Folder folder{resolved.hostPath, -1};
            if (resolved.exists) {
                folder.descriptor =
                    open(resolved.hostPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            }
            found = above_.emplace(lastWindows_, folder).first;
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
    std::vector<world::SectorSource> sources;
    sources.reserve(files.size());
    HeightmapHostPaths hostPaths;
    for (const CatalogueSession::SectorFile& file : files) {
        sources.push_back({file.name, hostPaths.Of(file.heightmapPath)});
    }
    return sources;
}

CatalogueLayout LayOutWorld(const std::vector<CatalogueSession::SectorFile>& files,
                            const std::string& command) {
    CatalogueLayout layout;
    static_cast<world::WorldLayout&>(layout) = world::LayOutWorld(SectorSourcesOf(files));
    layout.unreadable.assign(layout.sectors.size(), 0);
    if (!layout.unplaced.empty()) {
        std::string names;
        for (const std::string& name : layout.unplaced) {
            names += (names.empty() ? "" : ", ") + PrintableName(name);
        }
        std::fprintf(stderr, "velmora %s: sectors without a place on the grid, left out: %s\n",
                     command.c_str(), names.c_str());
    }
    if (layout.sectors.empty()) {
        throw CommandFailure(ExitFailure, "the world has no sector named A_B to place");
    }
    return layout;
}

std::filesystem::path HostPathOf(const std::string& windowsPath) {
    return wine::ResolveWindowsPath(windowsPath).hostPath;
}

std::string PrintableName(std::string_view name) {
    std::string printable(name);
    for (char& c : printable) {
        if (c < 0x20 || c > 0x7e) {
            c = '_';
        }
    }
    return printable;
}
