#include "world/game_worlds.h"

#include <fcntl.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <optional>
#include <string_view>
#include <system_error>

#include "text/natural_order.h"
#include "world/file_descriptor.h"
#include "world/summary_file.h"

namespace world {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view GameWord = "quarlend";

char Folded(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualFolded(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Folded(x) == Folded(y);
           });
}

// Names Windows cannot hold never reach the catalogue.
bool WindowsCanHold(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           std::none_of(name.begin(), name.end(), [](char c) {
               return static_cast<unsigned char>(c) < 0x20 ||
                      std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
           });
}

std::string Title(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// The folders directly in `folder`, following links as the game's file system would.
std::vector<std::string> FoldersIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code statusError;
        if (it->is_directory(statusError)) {
            names.push_back(it->path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

bool WorldNameOf(const std::string& folderName, std::string& name) {
    if (!WindowsCanHold(folderName) || folderName.size() < GameWord.size() ||
        !EqualFolded(std::string_view(folderName).substr(folderName.size() - GameWord.size()),
                     GameWord)) {
        return false;
    }
    // As the viewer's CString::Replace: every exact "quarlend", left to right.
    name = Title(folderName);
    for (std::size_t at = name.find(GameWord); at != std::string::npos;
         at = name.find(GameWord, at)) {
        name.erase(at, GameWord.size());
    }
    return true;
}

bool SectorNameOf(const std::string& folderName, std::string& name) {
    if (!WindowsCanHold(folderName) || folderName.find('_') == std::string::npos) {
        return false;
    }
    name = Title(folderName);
    return true;
}

bool IsHeightmapOf(const std::string& fileName, const std::string& sector) {
    return EqualFolded(fileName, "heightmap_" + sector + ".zdt");
}

fs::path HeightmapIn(const fs::path& sectorFolder, const std::string& sector) {
    // The game's own spelling is one look; only another spelling needs the folder's listing.
    const fs::path exact = sectorFolder / ("heightmap_" + sector + ".zdt");
    std::error_code error;
    if (fs::exists(exact, error)) {
        return exact;
    }
    for (fs::directory_iterator it(sectorFolder, error), end; !error && it != end;
         it.increment(error)) {
        if (IsHeightmapOf(it->path().filename().string(), sector)) {
            return it->path();
        }
    }
    return sectorFolder / ("heightmap_" + sector + ".zdt");
}

std::vector<std::string> ListWorlds(const fs::path& worldCache) {
    std::vector<std::string> worlds;
    for (const std::string& folder : FoldersIn(worldCache)) {
        std::string name;
        if (WorldNameOf(folder, name)) {
            worlds.push_back(name);
        }
    }
    std::sort(worlds.begin(), worlds.end(), text::NaturalLess());
    return worlds;
}

std::vector<SectorSource> ListSectors(const fs::path& terrain) {
    std::map<std::string, std::string, text::NaturalLess> sectors;
    for (std::string& folder : FoldersIn(terrain)) {
        std::string name;
        if (SectorNameOf(folder, name)) {
            sectors[name] = std::move(folder);
        }
    }
    // Each file is looked at once, from the terrain folder: the game's own spelling is that one
    // look, and its stamp spares the first pass another. Only another spelling needs the sector
    // folder's listing.
    // Held open: paths below it take far fewer steps of the kernel's path walk than whole ones.
    const FileDescriptor folder(open(terrain.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    std::vector<SectorSource> sources;
    for (const auto& [name, sectorFolder] : sectors) {
        const std::string below = sectorFolder + "/heightmap_" + name + ".zdt";
        std::optional<FileStamp> stamp = StampOfFile(folder.get(), below.c_str());
        std::string path = (terrain / below).string();
        if (!stamp) {
            path = HeightmapIn(terrain / sectorFolder, name).string();
            stamp = StampOfFile(AT_FDCWD, path.c_str());
        }
        // A heightmap that is missing or no regular file is listed all the same: the first pass
        // finds it unreadable and says so, where leaving it out would draw a silent hole.
        sources.push_back({name, std::move(path), stamp});
    }
    return sources;
}

}  // namespace world
