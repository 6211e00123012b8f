#pragma once
// The samples of a whole world as rows of world samples (one row per world y), read band by band:
// a band is the sectors of one B, so memory holds a few bands however many sectors there are.

#include <array>
#include <atomic>
#include <cstdint>
#include <future>
#include <vector>

#include "map/map_layout.h"

namespace map {

class WorldRows {
public:
    // Throws MapError when the box of places is too large to draw. onUnreadable is told of each
    // sector that cannot be read, on either thread; progress, when given, of the sectors read so
    // far each time a band is ready, on the caller's thread.
    WorldRows(MapLayout& layout, UnreadableSector onUnreadable, ReadProgress progress = {});

    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }

    // World row y (0 at the box's first sample): the sample at each x and whether a sector holds
    // it. Rows are asked for in increasing order, each at most a few rows back; the band after
    // the current one is read ahead on a second thread. Where two sectors
    // share a sample, the one later in (B, A) order gives it.
    void Row(std::uint32_t y, std::uint16_t* heights, std::uint8_t* present);

    // Sectors read so far.
    std::size_t SectorsRead() const { return sectorsRead_.load(); }

private:
    struct Band {
        int index = -1;
        std::vector<std::uint16_t> heights;  // row c of the band at c * width
        std::vector<std::uint8_t> present;
    };
    const Band& LoadedBand(int index);
    void FillBand(Band& band, int index);

    MapLayout& layout_;
    UnreadableSector onUnreadable_;
    ReadProgress progress_;
    std::uint32_t width_;
    std::uint32_t height_;
    std::array<Band, 3> bands_;
    std::vector<std::size_t> bandStarts_;  // first sector of each band in layout_.sectors
    std::atomic<std::size_t> sectorsRead_{0};
    // The next band, read on a second thread while this one is drawn and encoded.
    int pendingIndex_ = -1;
    std::future<void> pending_;
};

// Most world samples a side of a drawn world may span (520 sectors).
inline constexpr std::uint32_t MaxWorldSamples = 65536;

}  // namespace map
