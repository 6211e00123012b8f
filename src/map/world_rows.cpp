#include "map/world_rows.h"

#include <algorithm>
#include <string>
#include <utility>

#include "map/map_error.h"
#include "terrain/grid_constants.h"
#include "terrain/heightmap_samples.h"
#include "world/sector_file.h"

namespace map {

using world::SectorStride;

WorldRows::WorldRows(MapLayout& layout, UnreadableSector onUnreadable, ReadProgress progress)
    : layout_(layout), onUnreadable_(std::move(onUnreadable)), progress_(std::move(progress)) {
    if (layout.SamplesX() > MaxWorldSamples || layout.SamplesY() > MaxWorldSamples) {
        throw MapError("the sectors' places span more than " + std::to_string(MaxWorldSamples) +
                       " samples a side; too large to draw");
    }
    width_ = static_cast<std::uint32_t>(layout.SamplesX());
    height_ = static_cast<std::uint32_t>(layout.SamplesY());
    bandStarts_.assign(static_cast<std::size_t>(layout.rowsB) + 1, layout.sectors.size());
    for (std::size_t i = layout.sectors.size(); i-- > 0;) {
        bandStarts_[static_cast<std::size_t>(layout.sectors[i].place.b - layout.firstB)] = i;
    }
    for (std::size_t band = layout.rowsB; band-- > 0;) {
        bandStarts_[band] = std::min(bandStarts_[band], bandStarts_[band + 1]);
    }
}

void WorldRows::FillBand(Band& band, int index) {
    const std::size_t size = std::size_t{width_} * GridSide;
    band.heights.assign(size, 0);
    band.present.assign(size, 0);
    band.index = -1;
    HeightmapSamples samples;
    for (std::size_t i = bandStarts_[static_cast<std::size_t>(index)];
         i < bandStarts_[static_cast<std::size_t>(index) + 1]; ++i) {
        const world::PlacedSector& sector = layout_.sectors[i];
        if (layout_.unreadable[i] != 0) {
            continue;
        }
        std::string reason;
        ++sectorsRead_;
        if (!world::ReadSectorFile(sector.source.hostPath, samples, reason)) {
            onUnreadable_(i, reason);
            layout_.unreadable[i] = 1;
            continue;
        }
        const std::size_t x0 =
            static_cast<std::size_t>(sector.place.a - layout_.firstA) * SectorStride;
        for (int c = 0; c < GridSide; ++c) {
            std::uint16_t* heights = band.heights.data() + std::size_t(c) * width_ + x0;
            std::uint8_t* present = band.present.data() + std::size_t(c) * width_ + x0;
            for (int r = 0; r < GridSide; ++r) {
                heights[r] = samples[SampleIndex(r, c)];
            }
            std::fill(present, present + GridSide, std::uint8_t{1});
        }
    }
    band.index = index;
}

const WorldRows::Band& WorldRows::LoadedBand(int index) {
    Band& band = bands_[static_cast<std::size_t>(index) % bands_.size()];
    if (pendingIndex_ == index) {
        // Read ahead: wait for it (a failure of the read is thrown here).
        pendingIndex_ = -1;
        pending_.get();
    } else if (band.index == index) {
        return band;
    } else {
        FillBand(band, index);
    }
    if (progress_) {
        progress_(sectorsRead_.load());
    }
    // Rows in use reach one band back, so the slot of index + 1 (that of index - 2) is free.
    const int next = index + 1;
    if (next < layout_.rowsB && pendingIndex_ < 0) {
        Band& slot = bands_[static_cast<std::size_t>(next) % bands_.size()];
        slot.index = -1;
        pendingIndex_ = next;
        pending_ = std::async(std::launch::async, [this, &slot, next] { FillBand(slot, next); });
    }
    return band;
}

void WorldRows::Row(std::uint32_t y, std::uint16_t* heights, std::uint8_t* present) {
    const int index = static_cast<int>(y / SectorStride);
    const int c = static_cast<int>(y % SectorStride);
    // The last row of the box is the far edge of the last band.
    const bool farEdge = index == layout_.rowsB;
    const Band& band = LoadedBand(farEdge ? index - 1 : index);
    const std::size_t offset = std::size_t(farEdge ? SectorStride : c) * width_;
    std::copy_n(band.heights.data() + offset, width_, heights);
    std::copy_n(band.present.data() + offset, width_, present);
    if (c == 0 && index > 0 && !farEdge) {
        // The shared edge: where this band has no sector, the band before gives it.
        const Band& before = LoadedBand(index - 1);
        const std::size_t edge = std::size_t{SectorStride} * width_;
        for (std::uint32_t x = 0; x < width_; ++x) {
            if (present[x] == 0 && before.present[edge + x] != 0) {
                heights[x] = before.heights[edge + x];
                present[x] = 1;
            }
        }
    }
}

}  // namespace map
