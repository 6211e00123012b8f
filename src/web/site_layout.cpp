#include "web/site_layout.h"

#include <cstdio>

namespace web {

std::string TileFileKey(const TileKey& tile) {
    return "tiles/" + std::to_string(tile.level) + "/" + std::to_string(tile.x) + "_" +
           std::to_string(tile.y);
}

std::optional<TileKey> ParseTileFileKey(const std::string& key) {
    int level = 0;
    long long x = 0;
    long long y = 0;
    char rest = 0;
    if (std::sscanf(key.c_str(), "tiles/%d/%lld_%lld%c", &level, &x, &y, &rest) != 3 || level < 0 ||
        level > 40) {
        return std::nullopt;
    }
    const TileKey tile{level, x, y};
    // Only the spelling this program writes: no signs, zeros or spaces of another.
    return TileFileKey(tile) == key ? std::optional<TileKey>(tile) : std::nullopt;
}

std::string DataFilePath(const std::string& key, std::uint64_t version) {
    return "data/" + key + ".v" + std::to_string(version) + ".js";
}

}  // namespace web
