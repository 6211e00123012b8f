#pragma once
// What a world's index (data/W/world.vN.js) tells the page of it, its entry in the site's index,
// and the level tree's grids in their chunks
// (docs/WEB.md): from the world model, its tree and summaries exactly as the desktop renderer
// walks them, so that the page's 3D view chooses the same patches.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "web/site_layout.h"
#include "world/world_model.h"

namespace web {

// The chunk file (its key) holding node `node`'s grid.
std::string ChunkKeyOf(const world::LodTree& tree, int node);

// Every chunk's payload by key.
std::map<std::string, std::vector<std::uint8_t>> LevelTreeChunks(const world::WorldModel& model);

struct UnreadableSector {
    std::string name;
    std::string reason;
};

struct WorldScriptInput {
    std::string world;
    std::string folder;
    std::uint64_t version = 0;
    int levels = 0;
    // Per level, the tiles that exist and their versions.
    std::vector<std::map<TileKey, std::uint64_t>> tiles;
    std::map<std::string, std::uint64_t> chunks;  // key below the folder -> version
    std::vector<std::uint64_t> sectorVersions;    // in the model's sector order
    std::vector<UnreadableSector> unreadable;
};

// The text of the world's index.
std::string WorldScript(const world::WorldModel& model, const WorldScriptInput& input);

// The world's entry in the site's index (a JSON object): its name, folder and index's version,
// its size, box and range, and its picture's version (none: no sector drawn).
std::string WorldEntry(const world::WorldModel& model, const WorldScriptInput& input,
                       std::optional<std::uint64_t> picture);

// The entry of a world with no sector to place: no index, no picture.
std::string EmptyWorldEntry(const std::string& name, const std::string& folder);

struct SiteIndexInput {
    std::uint64_t version = 0;
    bool live = false;                    // a server follows the game and sends events
    std::optional<std::uint64_t> ground;  // version of data/ground.js
    std::vector<std::string> worlds;      // their entries, in the order listed
};

// The text of data/worlds.js.
std::string SiteIndexScript(const SiteIndexInput& input);

}  // namespace web
