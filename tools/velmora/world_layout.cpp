#include "world_layout.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include <afx.h>
#include <windows.h>
#include "app/platform/wine/windows_path.h"
#include "command.h"
#include "terrain/heightmap_file.h"

namespace {

std::optional<int> ParsePlaceNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 5 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

}  // namespace

std::optional<SectorPlace> ParseSectorPlace(std::string_view name) {
    const std::size_t separator = name.find('_');
    if (separator == std::string_view::npos) {
        return std::nullopt;
    }
    const auto a = ParsePlaceNumber(name.substr(0, separator));
    const auto b = ParsePlaceNumber(name.substr(separator + 1));
    if (!a || !b) {
        return std::nullopt;
    }
    return SectorPlace{*a, *b};
}

WorldLayout LayOutWorld(const std::vector<CatalogueSession::SectorFile>& files,
                        const std::string& command) {
    WorldLayout layout;
    for (const CatalogueSession::SectorFile& file : files) {
        if (const auto place = ParseSectorPlace(file.name)) {
            layout.sectors.push_back({file.name, file.heightmapPath, *place});
        } else {
            layout.unplaced.push_back(file.name);
        }
    }
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
    std::stable_sort(layout.sectors.begin(), layout.sectors.end(),
                     [](const PlacedSector& left, const PlacedSector& right) {
                         return std::pair(left.place.b, left.place.a) <
                                std::pair(right.place.b, right.place.a);
                     });
    // "01_2" and "1_2" name one place; the later in list order is the one drawn.
    int lastA = 0;
    int lastB = 0;
    layout.firstA = layout.sectors.front().place.a;
    layout.firstB = layout.sectors.front().place.b;
    for (const PlacedSector& sector : layout.sectors) {
        layout.firstA = std::min(layout.firstA, sector.place.a);
        lastA = std::max(lastA, sector.place.a);
        lastB = std::max(lastB, sector.place.b);
    }
    layout.columnsA = lastA - layout.firstA + 1;
    layout.rowsB = lastB - layout.firstB + 1;
    return layout;
}

bool ReadSectorSamples(const std::string& heightmapPath, HeightmapSamples& samples,
                       std::string& reason) {
    try {
        if (ReadHeightmap(heightmapPath.c_str(), samples)) {
            return true;
        }
    } catch (const CFileException& error) {
        reason =
            error.m_lOsError > 0 ? std::strerror(static_cast<int>(error.m_lOsError)) : "read error";
        return false;
    }
    // Ask the file layer once more why, now that it failed.
    CFile file;
    CFileException error;
    if (!file.Open(heightmapPath.c_str(), CFile::modeRead | CFile::typeBinary, &error)) {
        reason = error.m_lOsError > 0 ? std::strerror(static_cast<int>(error.m_lOsError))
                                      : "cannot be opened (missing or not a regular file)";
    } else {
        reason = "holds no samples (empty, or only a header)";
    }
    return false;
}

std::string HostPathOf(const std::string& windowsPath) {
    return PrintableName(wine::ResolveWindowsPath(windowsPath).hostPath.string());
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
