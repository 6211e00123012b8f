// velmora map: one picture of every sector of a world at its place.

#include <algorithm>
#include <atomic>
#include <future>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "catalogue_session.h"
#include "command.h"
#include "map/map_error.h"
#include "map/png_stream.h"
#include "output_file.h"
#include "progress_line.h"
#include "shading_option.h"
#include "world/sector_file.h"
#include "world_layout.h"
#include "world_map.h"
#include "world_rows.h"

namespace {

struct MapRequest {
    std::string world;
    std::string output;
    MapStyle style;
    bool force = false;
    bool skipUnreadable = false;
};

// The least sample of at least MinRangeSample and the greatest sample of sectors [first, last).
struct SampleBounds {
    std::uint16_t low = 65535;
    std::uint16_t high = 0;
};

SampleBounds FindBounds(CatalogueLayout& layout, std::size_t first, std::size_t last,
                        bool skipUnreadable, std::atomic<std::size_t>& done,
                        ProgressLine* progress) {
    SampleBounds bounds;
    HeightmapSamples samples;
    for (std::size_t i = first; i < last; ++i) {
        std::string reason;
        if (!world::ReadSectorFile(layout.sectors[i].source.hostPath, samples, reason)) {
            HandleUnreadable(layout, i, reason, skipUnreadable, "map");
        } else {
            bounds.low = std::min(bounds.low, ShadingRange::Find(samples).Low());
            bounds.high = std::max(bounds.high, *std::max_element(samples.begin(), samples.end()));
        }
        const std::size_t count = ++done;
        if (progress != nullptr) {
            progress->Update(count);
        }
    }
    return bounds;
}

// One range for the whole world, so that neighbouring sectors agree at their seams: low is the
// least sample of at least MinRangeSample over every sector, high the greatest sample. The two
// halves of the sectors are read on two threads.
ShadingRange FindWorldRange(CatalogueLayout& layout, bool skipUnreadable) {
    const std::size_t count = layout.sectors.size();
    ProgressLine progress("map: world range,", count);
    std::atomic<std::size_t> done{0};
    const std::size_t middle = count / 2;
    std::future<SampleBounds> second =
        std::async(std::launch::async, [&layout, middle, count, skipUnreadable, &done] {
            return FindBounds(layout, middle, count, skipUnreadable, done, nullptr);
        });
    const SampleBounds first = FindBounds(layout, 0, middle, skipUnreadable, done, &progress);
    const SampleBounds rest = second.get();
    return ShadingRange(std::min(first.low, rest.low), std::max(first.high, rest.high));
}

bool EveryPlaceFilled(const CatalogueLayout& layout) {
    std::set<std::pair<int, int>> places;
    for (const world::PlacedSector& sector : layout.sectors) {
        places.insert({sector.place.a, sector.place.b});
    }
    return places.size() == std::size_t(layout.columnsA) * std::size_t(layout.rowsB);
}

bool AnyUnreadable(const CatalogueLayout& layout) {
    return std::any_of(layout.unreadable.begin(), layout.unreadable.end(),
                       [](char unreadable) { return unreadable != 0; });
}

int DrawMap(const MapRequest& request) {
    CatalogueSession session;
    const std::string world = session.ResolveWorld(request.world);
    CatalogueLayout layout = LayOutWorld(session.SectorFiles(world), "map");

    // The output is claimed before the long work, so that a refusal comes at once.
    OutputFile file(request.output, request.force);
    std::optional<ShadingRange> range;
    if (request.style.shading != world::Shading::Hillshade) {
        range = FindWorldRange(layout, request.skipUnreadable);
    }
    // Without an empty place the picture needs no alpha: half the bytes to encode.
    MapStyle style = request.style;
    style.opaque = EveryPlaceFilled(layout) && !AnyUnreadable(layout) &&
                   (range.has_value() || !request.skipUnreadable);
    ProgressLine progress("map: picture,", layout.sectors.size());
    WorldRows rows(layout, request.skipUnreadable, "map", &progress);
    map::PngStream png([&file](const void* bytes, std::size_t size) { file.Write(bytes, size); },
                       MapPixels(rows.Width(), request.style.scale),
                       MapPixels(rows.Height(), request.style.scale), MapPixelLayout(style));
    DrawWorldMap(rows, range, style, png);
    file.Commit();
    return ExitSuccess;
}

int RunMap(const MapRequest& request) {
    try {
        return DrawMap(request);
    } catch (const map::MapError& failure) {
        throw CommandFailure(ExitFailure, failure.what());
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
