#include "web/site_layout.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "web/site_record.h"

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

namespace {

constexpr std::size_t LongestSlug = 32;
constexpr std::size_t HashDigits = 8;

bool IsSlugCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

}  // namespace

std::string WorldFolderOf(std::string_view name) {
    std::string slug;
    for (const char c : name) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            slug += c;
        } else if (c >= 'A' && c <= 'Z') {
            slug += static_cast<char>(c - 'A' + 'a');
        } else if (!slug.empty() && slug.back() != '-') {
            slug += '-';
        }
        if (slug.size() >= LongestSlug) {
            break;
        }
    }
    while (!slug.empty() && slug.back() == '-') {
        slug.pop_back();
    }
    if (slug.empty()) {
        slug = "world";
    }
    const std::uint64_t hash = HashOf(name);
    char digits[HashDigits + 1];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(hash & 0xffffffffu));
    return slug + "-" + digits;
}

bool IsWorldFolder(std::string_view text) {
    if (text.size() < HashDigits + 2 || text.size() > LongestSlug + HashDigits + 1) {
        return false;
    }
    const std::string_view slug = text.substr(0, text.size() - HashDigits - 1);
    const std::string_view hash = text.substr(text.size() - HashDigits);
    return text[slug.size()] == '-' && !slug.starts_with('-') && !slug.ends_with('-') &&
           std::all_of(slug.begin(), slug.end(), IsSlugCharacter) &&
           slug.find("--") == std::string_view::npos &&
           std::all_of(hash.begin(), hash.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

std::string WorldFileKey(std::string_view folder, std::string_view key) {
    return std::string(folder) + "/" + std::string(key);
}

std::string DataFilePath(const std::string& key, std::uint64_t version) {
    return "data/" + key + ".v" + std::to_string(version) + ".js";
}

}  // namespace web
