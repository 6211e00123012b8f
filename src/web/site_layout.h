#pragma once
// Where things lie in a site (docs/WEB.md): the height tiles of the map's pyramid, anchored at
// world sample 0, and the names of the data files that hold them.

#include <cstdint>
#include <optional>
#include <string>

namespace web {

// Pixels a side of a height tile's own part, four sectors' samples at level 0.
inline constexpr int TileSide = 504;
// The grid a tile stores: its own part and a ring of one pixel around it.
inline constexpr int TileGrid = TileSide + 2;
inline constexpr int SectorsPerTile = 4;
// The format of the site's data, as world.js tells the page.
inline constexpr int SiteFormat = 1;

struct TileKey {
    int level = 0;
    std::int64_t x = 0;
    std::int64_t y = 0;

    auto operator<=>(const TileKey&) const = default;
};

// "tiles/Z/X_Y": the key of a tile's data file.
std::string TileFileKey(const TileKey& tile);

// The tile a file key names; nullopt for any other key.
std::optional<TileKey> ParseTileFileKey(const std::string& key);

// "data/KEY.vVERSION.js": where a data file of that version lies in the site.
std::string DataFilePath(const std::string& key, std::uint64_t version);

// The tile of a level holding pixel p of that level (floor division, p may be large).
inline std::int64_t TileOf(std::int64_t pixel) {
    return pixel >= 0 ? pixel / TileSide : -((-pixel + TileSide - 1) / TileSide);
}

}  // namespace web
