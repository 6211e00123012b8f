// A web site's height tile, any bytes: refused, or a tile whose payload is whole and whose core
// writes back to the same payload's inner part.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "web/data_file.h"
#include "web/height_tile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::uint8_t> payload;
    if (!web::ReadDataFile(text, "tiles/0/3_3", web::TilePayloadBytes, payload)) {
        return 0;
    }
    fuzz::Require(payload.size() == web::TilePayloadBytes);
    web::TileCore core;
    fuzz::Require(web::CoreFromPayload(payload, core));
    // The core alone, written again, holds the same inner pixels.
    const std::vector<std::uint8_t> again = web::TilePayload(
        {nullptr, nullptr, nullptr, nullptr, &core, nullptr, nullptr, nullptr, nullptr});
    web::TileCore back;
    fuzz::Require(web::CoreFromPayload(again, back));
    fuzz::Require(back.height == core.height && back.coverage == core.coverage);
    return 0;
}
