#include "web/world_script.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <unordered_map>

#include "web/data_file.h"
#include "world/lod_tree.h"
#include "world/sector_summary.h"

namespace web {

namespace {

using nlohmann::json;

// Nodes of this level and below share a chunk under their ancestor at it; those above it go in
// lod/top.
constexpr int ChunkLevel = 3;
constexpr std::uint32_t EndOfNodes = 0xFFFFFFFFu;

int ChunkLevelOf(const world::LodTree& tree) {
    return tree.Root() < 0 ? 0 : std::min(ChunkLevel, tree.Node(tree.Root()).level);
}

std::string Packed(const Payload& payload) {
    return Base64(Deflate(payload.bytes));
}

// The sector drawn at each place: the later of two names for one place, among readable ones.
std::vector<bool> DrawnSectors(const world::WorldModel& model) {
    const world::WorldLayout& layout = model.Layout();
    std::vector<bool> drawn(layout.sectors.size(), false);
    std::unordered_map<std::uint64_t, std::size_t> atPlace;
    for (std::size_t s = 0; s < layout.sectors.size(); ++s) {
        if (model.Summary(s) != nullptr) {
            const world::SectorPlace place = layout.sectors[s].place;
            atPlace[(std::uint64_t(std::uint32_t(place.a)) << 32) | std::uint32_t(place.b)] = s;
        }
    }
    for (const auto& [place, s] : atPlace) {
        drawn[s] = true;
    }
    return drawn;
}

json BoxOf(const world::WorldLayout& layout) {
    return {{"firstA", layout.firstA},
            {"firstB", layout.firstB},
            {"columnsA", layout.columnsA},
            {"rowsB", layout.rowsB}};
}

json RangeOf(const world::WorldModel& model) {
    const ShadingRange range = model.Range();
    return {{"low", range.Low()}, {"width", range.Range()}};
}

}  // namespace

std::string ChunkKeyOf(const world::LodTree& tree, int node) {
    const world::LodNode& at = tree.Node(node);
    const int level = ChunkLevelOf(tree);
    if (at.level > level) {
        return "lod/top";
    }
    const int up = level - at.level;
    return "lod/" + std::to_string(level) + "_" + std::to_string(at.p >> up) + "_" +
           std::to_string(at.q >> up);
}

std::map<std::string, std::vector<std::uint8_t>> LevelTreeChunks(const world::WorldModel& model) {
    const world::LodTree& tree = model.Tree();
    std::map<std::string, Payload> chunks;
    std::map<std::string, std::vector<std::size_t>> sectorsOf;
    for (std::size_t n = 0; n < tree.Size(); ++n) {
        const world::LodNode& node = tree.Node(static_cast<int>(n));
        const std::string key = ChunkKeyOf(tree, static_cast<int>(n));
        Payload& chunk = chunks[key];
        if (node.level == 0) {
            if (node.sector >= 0) {
                sectorsOf[key].push_back(static_cast<std::size_t>(node.sector));
            }
            continue;
        }
        chunk.U32(static_cast<std::uint32_t>(n));
        for (const std::uint16_t height : *node.heights) {
            chunk.U16(height);
        }
        chunk.Bytes(*node.present);
    }
    std::map<std::string, std::vector<std::uint8_t>> payloads;
    for (auto& [key, chunk] : chunks) {
        chunk.U32(EndOfNodes);
        for (const std::size_t s : sectorsOf[key]) {
            chunk.U32(static_cast<std::uint32_t>(s));
            for (const std::uint16_t sample : model.Summary(s)->coarse) {
                chunk.U16(sample);
            }
        }
        payloads[key] = std::move(chunk.bytes);
    }
    return payloads;
}

std::string WorldScript(const world::WorldModel& model, const WorldScriptInput& input) {
    const world::WorldLayout& layout = model.Layout();
    const world::LodTree& tree = model.Tree();
    const std::vector<bool> drawn = DrawnSectors(model);

    json names = json::array();
    Payload sectors;
    for (std::size_t s = 0; s < layout.sectors.size(); ++s) {
        const world::PlacedSector& sector = layout.sectors[s];
        const world::SectorSummary* summary = model.Summary(s);
        names.push_back(sector.source.name);
        sectors.I32(sector.place.a);
        sectors.I32(sector.place.b);
        sectors.U8(drawn[s] ? 1 : 0);
        for (std::size_t l = 0; l < world::LevelSteps.size(); ++l) {
            sectors.F32(summary != nullptr ? summary->levelErrors[l] : 0.0f);
        }
        sectors.U16(summary != nullptr ? summary->least : 0);
        sectors.U16(summary != nullptr ? summary->greatest : 0);
        sectors.U16(static_cast<std::uint16_t>(input.sectorVersions.at(s)));
    }

    Payload nodes;
    for (std::size_t n = 0; n < tree.Size(); ++n) {
        const world::LodNode& node = tree.Node(static_cast<int>(n));
        nodes.I32(node.level);
        nodes.I32(node.p);
        nodes.I32(node.q);
        nodes.I32(node.sector);
        for (const int child : node.children) {
            nodes.I32(child);
        }
        nodes.F32(node.error);
        nodes.U16(node.least);
        nodes.U16(node.greatest);
    }

    json tiles = json::array();
    for (const std::map<TileKey, std::uint64_t>& level : input.tiles) {
        Payload list;
        list.U32(static_cast<std::uint32_t>(level.size()));
        for (const auto& [key, version] : level) {
            list.I32(static_cast<std::int32_t>(key.x));
            list.I32(static_cast<std::int32_t>(key.y));
            list.U32(static_cast<std::uint32_t>(version));
        }
        tiles.push_back(Packed(list));
    }

    json unreadable = json::array();
    for (const UnreadableSector& sector : input.unreadable) {
        unreadable.push_back({{"name", sector.name}, {"reason", sector.reason}});
    }
    json shared = json::array();
    for (const world::SharedPlace& place : model.SharedPlaces()) {
        shared.push_back({{"name", place.name}, {"drawn", place.drawn}});
    }
    const world::WorldModel::Bounds extent = model.Extent();
    const json whole = {
        {"format", SiteFormat},
        {"world", input.world},
        {"folder", input.folder},
        {"version", input.version},
        {"box", BoxOf(model.Layout())},
        {"range", RangeOf(model)},
        {"extent", {extent.minX, extent.minY, extent.minZ, extent.maxX, extent.maxY, extent.maxZ}},
        {"skirtDepth", model.SkirtDepth()},
        {"tileSide", TileSide},
        {"levels", input.levels},
        {"tiles", std::move(tiles)},
        {"sectors", {{"names", std::move(names)}, {"table", Packed(sectors)}}},
        {"nodes", {{"root", tree.Root()}, {"table", Packed(nodes)}}},
        {"chunkLevel", ChunkLevelOf(tree)},
        {"chunks", input.chunks},
        {"unplaced", layout.unplaced},
        {"unreadable", std::move(unreadable)},
        {"shared", std::move(shared)}};
    return "Velmora.world(" + whole.dump(-1, ' ', false, json::error_handler_t::replace) + ");\n";
}

std::string WorldEntry(const world::WorldModel& model, const WorldScriptInput& input,
                       std::optional<std::uint64_t> picture) {
    const std::vector<bool> drawn = DrawnSectors(model);
    const json entry = {{"name", input.world},
                        {"folder", input.folder},
                        {"version", input.version},
                        {"sectors", std::count(drawn.begin(), drawn.end(), true)},
                        {"box", BoxOf(model.Layout())},
                        {"range", RangeOf(model)},
                        {"picture", picture ? json(*picture) : json(nullptr)}};
    return entry.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string EmptyWorldEntry(const std::string& name, const std::string& folder) {
    const json entry = {{"name", name},
                        {"folder", folder},
                        {"version", nullptr},
                        {"sectors", 0},
                        {"box", {{"firstA", 0}, {"firstB", 0}, {"columnsA", 0}, {"rowsB", 0}}},
                        {"range", nullptr},
                        {"picture", nullptr}};
    return entry.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string SiteIndexScript(const SiteIndexInput& input) {
    json worlds = json::array();
    for (const std::string& entry : input.worlds) {
        worlds.push_back(json::parse(entry));
    }
    const json whole = {{"format", SiteFormat},
                        {"version", input.version},
                        {"live", input.live},
                        {"ground", input.ground ? json(*input.ground) : json(nullptr)},
                        {"worlds", std::move(worlds)}};
    return "Velmora.worlds(" + whole.dump(-1, ' ', false, json::error_handler_t::replace) + ");\n";
}

}  // namespace web
