#include "headless_catalogue/catalogue_session.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

#include <windows.h>
#include "app/install_root.h"
#include "app/platform/win32/item_collation.h"
#include "app/platform/win32/window_system.h"
#include "app/platform/wine/wine_prefix.h"
#include "app/registry_reader.h"
#include "catalogue/heightmap_path.h"
#include "catalogue/sector_table.h"
#include "catalogue/world_list.h"
#include "headless_catalogue/catalogue_error.h"

namespace headless_catalogue {

namespace {

constexpr int WorldComboId = 1;
constexpr int SectorListId = 2;

win32::DialogTemplate CatalogueTemplate() {
    win32::DialogTemplate dialog;
    dialog.caption = "velmora";
    dialog.rect = {0, 0, 100, 100};
    win32::DialogControlTemplate combo;
    combo.kind = win32::WindowKind::ComboBox;
    combo.id = WorldComboId;
    combo.style = WS_CHILD | CBS_DROPDOWN | CBS_SORT;
    combo.rect = {0, 0, 50, 50};
    win32::DialogControlTemplate list;
    list.kind = win32::WindowKind::ListBox;
    list.id = SectorListId;
    list.style = WS_CHILD | LBS_SORT | LBS_NOTIFY;
    list.rect = {50, 0, 50, 100};
    dialog.controls = {combo, list};
    return dialog;
}

bool SomePrefixHoldsInstallKey() {
    HKEY opened = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, InstallRootKey, &opened) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(opened);
    return true;
}

// Names the prefixes that were searched for the install-root key, so that "no game here" never
// reads as "a game without worlds".
std::string NoInstallMessage() {
    std::string searched;
    std::string hint;
    if (const char* chosen = std::getenv("WINEPREFIX"); chosen != nullptr && *chosen != '\0') {
        searched = std::string("WINEPREFIX=") + chosen;
    } else {
        hint = "; set WINEPREFIX to the game's Wine prefix";
        const char* home = std::getenv("HOME");
        const std::filesystem::path dotWine =
            std::filesystem::path(home != nullptr && *home != '\0' ? home : "~") / ".wine";
        std::string proton;
        std::size_t protonCount = 0;
        for (const std::filesystem::path& candidate : wine::CandidatePrefixes()) {
            if (candidate != dotWine) {
                proton += (protonCount++ == 0 ? ": " : ", ") + candidate.string();
            }
        }
        searched = dotWine.string() + " and " + std::to_string(protonCount) + " Proton prefix" +
                   (protonCount == 1 ? "" : "es") + proton;
    }
    return std::string(
               "the game's install was not found: no Wine prefix holds "
               "HKEY_LOCAL_MACHINE\\") +
           InstallRootKey + " (searched " + searched + ")" + hint;
}

}  // namespace

CatalogueSession::CatalogueSession() {
    RegistryReader reader;
    // A key without an install folder leaves the root empty, and the viewer then searches the
    // current drive; only a missing key means there is no game to look at.
    if (!reader.ReadValue(InstallRootKey, "", InstallRoot) && !SomePrefixHoldsInstallKey()) {
        throw CatalogueError(CatalogueError::Reason::Other, NoInstallMessage());
    }

    window_ = win32::CurrentWindowSystem().CreateDialogWindow(CatalogueTemplate(), nullptr);
    if (!window_) {
        throw CatalogueError(CatalogueError::Reason::Other,
                             "cannot create the catalogue's controls");
    }
    worldCombo_.Attach(window_->FindChild(WorldComboId)->Handle());
    sectorList_.Attach(window_->FindChild(SectorListId)->Handle());
    FillWorldList(worldCombo_);
}

CatalogueSession::~CatalogueSession() {
    sectorList_.Detach();
    worldCombo_.Detach();
}

std::vector<std::string> CatalogueSession::Worlds() {
    return mfc::ControlItems(worldCombo_);
}

std::string CatalogueSession::FirstWorld() {
    CString text;
    worldCombo_.GetWindowText(text);
    return text.GetString();
}

void CatalogueSession::RequireWorld(const std::string& world) {
    const std::vector<std::string> worlds = Worlds();
    if (std::find(worlds.begin(), worlds.end(), world) == worlds.end()) {
        throw CatalogueError(CatalogueError::Reason::UnknownName,
                             "no world named \"" + world + "\"");
    }
}

std::vector<std::string> CatalogueSession::Sectors(const std::string& world) {
    RequireWorld(world);
    ScanSectors(world.c_str());
    FillSectorList(sectorList_);
    return mfc::ControlItems(sectorList_);
}

std::vector<std::string> CatalogueSession::FirstWorldSectors() {
    ScanSectors(FirstWorld().c_str());
    FillSectorList(sectorList_);
    return mfc::ControlItems(sectorList_);
}

std::string CatalogueSession::TerrainPath(const std::string& world) {
    RequireWorld(world);
    return (InstallRoot + "\\world_cache\\" + world.c_str() + "quarlend\\terrain").GetString();
}

std::string CatalogueSession::HeightmapPath(const std::string& world, const std::string& sector) {
    RequireWorld(world);
    ScanSectors(world.c_str());
    CString sectorDirectory;
    if (!SectorTable.Lookup(sector.c_str(), sectorDirectory)) {
        throw CatalogueError(CatalogueError::Reason::UnknownName,
                             "world \"" + world + "\" has no sector named \"" + sector + "\"");
    }
    return ::HeightmapPath(sectorDirectory, sector.c_str()).GetString();
}

namespace {

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

std::string CatalogueSession::ResolveWorld(const std::string& requested) {
    const std::vector<std::string> worlds = Worlds();
    // The folder of world W is "Wquarlend" (FillWorldList strips the suffix).
    constexpr std::string_view FolderSuffix = "quarlend";
    for (const std::string& world : worlds) {
        if (requested == world || requested == world + std::string(FolderSuffix)) {
            return world;
        }
    }
    const std::string wanted = Lowered(requested);
    std::vector<std::string> matches;
    for (const std::string& world : worlds) {
        const std::string lowered = Lowered(world);
        if (wanted == lowered || wanted == lowered + std::string(FolderSuffix)) {
            matches.push_back(world);
        }
    }
    if (matches.size() == 1) {
        return matches.front();
    }
    std::string known;
    for (const std::string& world : matches.empty() ? worlds : matches) {
        known += (known.empty() ? "" : ", ") + world;
    }
    throw CatalogueError(
        CatalogueError::Reason::UnknownName,
        (matches.empty() ? "no world named \"" : "more than one world matches \"") + requested +
            "\"; " + (matches.empty() ? "the worlds are: " : "") +
            (known.empty() ? std::string("none") : known));
}

std::vector<CatalogueSession::SectorFile> CatalogueSession::SectorFiles(const std::string& world) {
    RequireWorld(world);
    ScanSectors(world.c_str());
    // In the list box's order, without filling it: a sorted list box moves every item after an
    // insertion, which a world of 65,536 sectors would wait seconds for.
    std::vector<SectorFile> files;
    files.reserve(static_cast<std::size_t>(SectorTable.GetCount()));
    POSITION position = SectorTable.GetStartPosition();
    while (position != nullptr) {
        CString name;
        CString sectorDirectory;
        SectorTable.GetNextAssoc(position, name, sectorDirectory);
        files.push_back({name.GetString(), ::HeightmapPath(sectorDirectory, name).GetString()});
    }
    std::sort(files.begin(), files.end(), [](const SectorFile& left, const SectorFile& right) {
        return win32::CompareItemText(left.name, right.name) < 0;
    });
    return files;
}

}  // namespace headless_catalogue
