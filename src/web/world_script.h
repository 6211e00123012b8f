#pragma once
// What data/world.js tells the page of a world, and the level tree's grids in their chunks
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
    std::uint64_t version = 0;
    int levels = 0;
    // Per level, the tiles that exist and their versions.
    std::vector<std::map<TileKey, std::uint64_t>> tiles;
    std::map<std::string, std::uint64_t> chunks;  // key -> version
    std::optional<std::uint64_t> ground;          // version of data/ground.js
    std::vector<std::uint64_t> sectorVersions;    // in the model's sector order
    std::vector<UnreadableSector> unreadable;
    bool live = false;  // a server follows the game and sends events
};

// The text of data/world.js.
std::string WorldScript(const world::WorldModel& model, const WorldScriptInput& input);

}  // namespace web
