#pragma once
// Where things lie in a site (docs/WEB.md): each world's folder below data/, the height tiles of
// the map's pyramid, anchored at world sample 0, and the names of the data files that hold them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace web {

// Pixels a side of a height tile's own part, four sectors' samples at level 0.
inline constexpr int TileSide = 504;
// The grid a tile stores: its own part and a ring of one pixel around it.
inline constexpr int TileGrid = TileSide + 2;
inline constexpr int SectorsPerTile = 4;
// The format of the site's data, as its indexes tell the page.
inline constexpr int SiteFormat = 2;

// The site's index (written last) and a world's index's key below its folder.
inline constexpr std::string_view SiteIndexPath = "data/worlds.js";
inline constexpr std::string_view WorldIndexKey = "world";
inline constexpr std::string_view PictureKey = "picture";
inline constexpr std::string_view GroundKey = "ground";

// The folder below data/ of the world named `name`: safe in a URL and on any file system, and
// its own for every exact name (a hash of it ends the folder's name), though two names differ
// only in case.
std::string WorldFolderOf(std::string_view name);
// Whether `text` is a folder WorldFolderOf can give.
bool IsWorldFolder(std::string_view text);
// "W/KEY": the key of a world's data file.
std::string WorldFileKey(std::string_view folder, std::string_view key);

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
