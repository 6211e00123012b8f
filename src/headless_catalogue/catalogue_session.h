#pragma once
// The viewer's catalogue read without a window on screen.

#include <memory>
#include <string>
#include <vector>

#include <afxwin.h>
#include "app/platform/win32/native_window.h"

namespace headless_catalogue {

// What the viewer holds of the catalogue, without a window on screen: the install root read from
// the registry, and a sorted world combo box and sector list box on the headless window system.
class CatalogueSession {
public:
    // Reads the install root from the registry, as the viewer does at start-up, and lists the
    // worlds on the current window system. Throws CatalogueError when no Wine prefix holds the
    // game's install key, naming the prefixes searched.
    CatalogueSession();
    ~CatalogueSession();
    CatalogueSession(const CatalogueSession&) = delete;
    CatalogueSession& operator=(const CatalogueSession&) = delete;

    // The world names in the combo box's order.
    std::vector<std::string> Worlds();

    // The world the viewer lists first: the combo box's text after it was filled.
    std::string FirstWorld();

    // The sector names of world in the list box's order; throws CatalogueError (UnknownName) for
    // a world the combo box does not list.
    std::vector<std::string> Sectors(const std::string& world);

    // The sectors the viewer lists at start: those of FirstWorld(), scanned even when there is no
    // world at all (the name is then empty).
    std::vector<std::string> FirstWorldSectors();

    // The folder of world's sector folders (Windows form), as the viewer's sector scan names it.
    std::string TerrainPath(const std::string& world);

    // The heightmap path of sector in world, as the viewer forms it; throws CatalogueError
    // (UnknownName) for a world or sector not listed.
    std::string HeightmapPath(const std::string& world, const std::string& sector);

    // The world that `requested` names: a world as listed ("East") or its folder
    // ("Eastquarlend"), in any case; an exact match wins over a case-insensitive one. Throws
    // CatalogueError (UnknownName) naming the worlds that exist when none or more than one
    // matches.
    std::string ResolveWorld(const std::string& requested);

    // Every sector of world with its heightmap path, from one scan, in the list box's order.
    struct SectorFile {
        std::string name;
        std::string heightmapPath;
    };
    std::vector<SectorFile> SectorFiles(const std::string& world);

private:
    void RequireWorld(const std::string& world);

    std::unique_ptr<win32::NativeWindow> window_;
    CComboBox worldCombo_;
    CListBox sectorList_;
};

}  // namespace headless_catalogue
