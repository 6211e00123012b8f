#include "web/world_picture.h"

#include <algorithm>

#include "web/data_file.h"
#include "web/site_layout.h"
#include "world/sector_place.h"

namespace web {

namespace {

// Pixel p of a level covers world samples [p 2^level, (p + 1) 2^level): the pixels the samples
// [first, first + count) fall in.
struct PixelSpan {
    std::int64_t first = 0;
    std::int64_t count = 0;
};

PixelSpan SpanAt(std::int64_t firstSample, std::int64_t samples, int level) {
    const std::int64_t first = firstSample >> level;
    const std::int64_t last = (firstSample + samples - 1) >> level;
    return {first, last - first + 1};
}

}  // namespace

std::optional<std::vector<std::uint8_t>> WorldPicture(TilePyramid& pyramid,
                                                      const world::WorldLayout& layout) {
    const int levels = static_cast<int>(pyramid.Tiles().size());
    if (layout.columnsA <= 0 || layout.rowsB <= 0 || levels == 0) {
        return std::nullopt;
    }
    const std::int64_t firstX = std::int64_t{layout.firstA} * world::SectorStride;
    const std::int64_t firstY = std::int64_t{layout.firstB} * world::SectorStride;
    // The pyramid's pixels from the first level at which the picture is not larger than the
    // level, else the top one, and the picture's scale: its pixel q is pixels [q 2^m,
    // (q + 1) 2^m) of that level.
    int level = 0;
    int scale = 0;
    for (int k = 0;; ++k) {
        if (SpanAt(firstX, layout.SamplesX(), k).count <= PictureSide &&
            SpanAt(firstY, layout.SamplesY(), k).count <= PictureSide) {
            level = std::min(k, levels - 1);
            scale = k - level;
            break;
        }
    }
    const PixelSpan xs = SpanAt(firstX, layout.SamplesX(), level);
    const PixelSpan ys = SpanAt(firstY, layout.SamplesY(), level);
    const std::int64_t firstU = xs.first >> scale;
    const std::int64_t firstV = ys.first >> scale;
    const auto width = static_cast<int>(((xs.first + xs.count - 1) >> scale) - firstU + 1);
    const auto height = static_cast<int>(((ys.first + ys.count - 1) >> scale) - firstV + 1);
    // Coverage-weighted sums, as a parent tile's pixel is made of its children's.
    std::vector<std::uint64_t> weighted(static_cast<std::size_t>(width) * height, 0);
    std::vector<std::uint64_t> covered(weighted.size(), 0);
    for (std::int64_t py = ys.first; py < ys.first + ys.count; ++py) {
        for (std::int64_t px = xs.first; px < xs.first + xs.count; ++px) {
            const TileKey key{level, TileOf(px), TileOf(py)};
            const std::shared_ptr<const TileCore> core = pyramid.CoreOf(key);
            if (!core) {
                continue;
            }
            const auto at = static_cast<std::size_t>((py - key.y * TileSide) * TileSide +
                                                     (px - key.x * TileSide));
            const auto to = static_cast<std::size_t>(((py >> scale) - firstV) * width +
                                                     ((px >> scale) - firstU));
            weighted[to] += std::uint64_t{core->height[at]} * core->coverage[at];
            covered[to] += core->coverage[at];
        }
    }
    const std::uint64_t block = std::uint64_t{1} << (2 * scale);
    std::vector<std::uint16_t> heights(weighted.size(), 0);
    std::vector<std::uint8_t> coverage(weighted.size(), 0);
    for (std::size_t i = 0; i < weighted.size(); ++i) {
        if (covered[i] > 0) {
            heights[i] = static_cast<std::uint16_t>((weighted[i] + covered[i] / 2) / covered[i]);
            coverage[i] = static_cast<std::uint8_t>((covered[i] + block / 2) / block);
        }
    }
    Payload payload;
    payload.U32(static_cast<std::uint32_t>(width));
    payload.U32(static_cast<std::uint32_t>(height));
    payload.Heights(heights, width, height);
    payload.Bytes(coverage);
    return std::move(payload.bytes);
}

}  // namespace web
