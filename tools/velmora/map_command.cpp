// velmora map: one picture of every sector of a world at its place.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "command_list.h"
#include "files/output_error.h"
#include "files/output_file.h"
#include "headless_catalogue/catalogue_session.h"
#include "map/map_error.h"
#include "map/map_layout.h"
#include "map/png_stream.h"
#include "map/world_map.h"
#include "map/world_range.h"
#include "map/world_rows.h"
#include "output_failure.h"
#include "progress_line.h"
#include "shading_option.h"
#include "world_layout.h"

namespace {

struct MapRequest {
    std::string world;
    std::string output;
    map::MapStyle style;
    bool force = false;
    bool skipUnreadable = false;
};

int DrawMap(const MapRequest& request) {
    headless_catalogue::CatalogueSession session;
    const std::string world = session.ResolveWorld(request.world);
    map::MapLayout layout = LayOutWorld(session.SectorFiles(world), "map");
    const map::UnreadableSector unreadable = [&layout, &request](std::size_t s,
                                                                 const std::string& reason) {
        ReportUnreadable(layout, s, reason, request.skipUnreadable, "map");
    };

    // The output is claimed before the long work, so that a refusal comes at once.
    files::OutputFile file(request.output, request.force);
    std::optional<ShadingRange> range;
    if (request.style.shading != world::Shading::Hillshade) {
        ProgressLine progress("map: world range,", layout.sectors.size());
        range = map::FindWorldRange(layout, unreadable,
                                    [&progress](std::size_t read) { progress.Update(read); });
    }
    // Without an empty place the picture needs no alpha: half the bytes to encode.
    map::MapStyle style = request.style;
    style.opaque = map::EveryPlaceFilled(layout) && !map::AnyUnreadable(layout) &&
                   (range.has_value() || !request.skipUnreadable);
    ProgressLine progress("map: picture,", layout.sectors.size());
    map::WorldRows rows(layout, unreadable,
                        [&progress](std::size_t read) { progress.Update(read); });
    map::PngStream png([&file](const void* bytes, std::size_t size) { file.Write(bytes, size); },
                       map::MapPixels(rows.Width(), request.style.scale),
                       map::MapPixels(rows.Height(), request.style.scale),
                       map::MapPixelLayout(style));
    map::DrawWorldMap(rows, range, style, png);
    file.Commit();
    return ExitSuccess;
}

int RunMap(const MapRequest& request) {
    try {
        return DrawMap(request);
    } catch (const map::MapError& failure) {
        throw CommandFailure(ExitFailure, failure.what());
    } catch (const files::OutputError& failure) {
        throw OutputFailure(failure);
    }
}

}  // namespace

void AddMapCommand(CLI::App& velmora, ChosenCommand& chosen) {
    auto request = std::make_shared<MapRequest>();
    CLI::App* map = AddSubcommand(
        velmora, "map", "one picture of a whole world",
        "Draws every sector of WORLD at its place into one PNG: sector A_B at grid position\n"
        "(A, B), its heightmap row r across (x = 126 A + r, to the right) and its column c down\n"
        "(y = 126 B + c), as the viewer shows a sector at its start camera. Neighbours share\n"
        "their edge samples, drawn once. At scale 1 a pixel is a sample; at scale N, N x N\n"
        "samples averaged. Places without a sector are transparent; sectors whose names are\n"
        "not A_B are listed on stderr and left out.\n"
        "Shadings: height, the viewer's grey (black at the world's least sample of at least 101,\n"
        "white at its greatest); hillshade, light from the north-west (top left) on the mesh's\n"
        "spacing; both, the two multiplied.\n"
        "WORLD is a name as `velmora worlds` lists it or its folder, in any case. An unknown\n"
        "world exits with 2; an unreadable heightmap with 1 unless --skip-unreadable.");
    map->add_option("WORLD", request->world, "a world, as listed or as its folder")->required();
    map->add_option("--output", request->output, "the PNG file to write")
        ->required()
        ->type_name("FILE.png");
    map->add_option("--scale", request->style.scale, "samples per pixel along a side (default 1)")
        ->check(CLI::Range(1u, 4096u))
        ->type_name("N");
    AddShadingOption(*map, request->style.shading, "height (default), hillshade or both");
    map->add_flag("--grid", request->style.grid, "draws the sector borders in red");
    map->add_flag("--force", request->force, "replaces an existing output file");
    map->add_flag("--skip-unreadable", request->skipUnreadable,
                  "leaves the place of an unreadable heightmap empty instead of failing");
    map->callback([&chosen, request] { chosen = {"map", [request] { return RunMap(*request); }}; });
}
