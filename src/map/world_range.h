#pragma once
// The world's one shading range, so that neighbouring sectors agree at their seams: low is the
// least sample of at least MinRangeSample over every sector, high the greatest sample.

#include "map/map_layout.h"
#include "terrain/shading_range.h"

namespace map {

// Reads every sector not yet marked unreadable, the two halves of them on two threads.
// onUnreadable is told of each sector that cannot be read, on either thread; progress, when given,
// of the sectors read so far, on the caller's thread only.
ShadingRange FindWorldRange(MapLayout& layout, const UnreadableSector& onUnreadable,
                            const ReadProgress& progress = {});

}  // namespace map
