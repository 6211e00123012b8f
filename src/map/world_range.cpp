#include "map/world_range.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <future>
#include <string>

#include "terrain/heightmap_samples.h"
#include "world/sector_file.h"

namespace map {

namespace {

// The least sample of at least MinRangeSample and the greatest sample of sectors [first, last).
struct SampleBounds {
    std::uint16_t low = 65535;
    std::uint16_t high = 0;
};

SampleBounds FindBounds(MapLayout& layout, std::size_t first, std::size_t last,
                        const UnreadableSector& onUnreadable, std::atomic<std::size_t>& done,
                        const ReadProgress* progress) {
    SampleBounds bounds;
    HeightmapSamples samples;
    for (std::size_t i = first; i < last; ++i) {
        std::string reason;
        if (!world::ReadSectorFile(layout.sectors[i].source.hostPath, samples, reason)) {
            onUnreadable(i, reason);
            layout.unreadable[i] = 1;
        } else {
            bounds.low = std::min(bounds.low, ShadingRange::Find(samples).Low());
            bounds.high = std::max(bounds.high, *std::max_element(samples.begin(), samples.end()));
        }
        const std::size_t count = ++done;
        if (progress != nullptr && *progress) {
            (*progress)(count);
        }
    }
    return bounds;
}

}  // namespace

ShadingRange FindWorldRange(MapLayout& layout, const UnreadableSector& onUnreadable,
                            const ReadProgress& progress) {
    const std::size_t count = layout.sectors.size();
    std::atomic<std::size_t> done{0};
    const std::size_t middle = count / 2;
    std::future<SampleBounds> second =
        std::async(std::launch::async, [&layout, middle, count, &onUnreadable, &done] {
            return FindBounds(layout, middle, count, onUnreadable, done, nullptr);
        });
    const SampleBounds first = FindBounds(layout, 0, middle, onUnreadable, done, &progress);
    const SampleBounds rest = second.get();
    return ShadingRange(std::min(first.low, rest.low), std::max(first.high, rest.high));
}

}  // namespace map
