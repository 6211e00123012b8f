#include "world/sector_summary.h"

#include <algorithm>
#include <cmath>

#include "terrain/shading_range.h"

namespace world {

SectorSummary SummariseSector(const HeightmapSamples& samples) {
    SectorSummary summary;
    for (int i = 0; i < CoarseSide; ++i) {
        for (int j = 0; j < CoarseSide; ++j) {
            summary.coarse[static_cast<std::size_t>(i * CoarseSide + j)] =
                samples[SampleIndex(i * CoarseStep, j * CoarseStep)];
        }
    }
    for (std::size_t level = 0; level + 1 < LevelSteps.size(); ++level) {
        const int step = LevelSteps[level];
        const auto at = [&](int i, int j) {
            return static_cast<double>(samples[SampleIndex(i * step, j * step)]);
        };
        double worst = 0.0;
        for (int r = 0; r < GridSide; ++r) {
            for (int c = 0; c < GridSide; ++c) {
                if (r % step == 0 && c % step == 0) {
                    continue;
                }
                const double drawn = LevelSurface(at, step, r, c);
                worst = std::max(worst, std::abs(drawn - samples[SampleIndex(r, c)]));
            }
        }
        summary.levelErrors[level] = static_cast<float>(worst);
    }
    const ShadingRange range = ShadingRange::Find(samples);
    summary.rangeLow = range.Low();
    summary.greatest = *std::max_element(samples.begin(), samples.end());
    summary.least = *std::min_element(samples.begin(), samples.end());
    return summary;
}

}  // namespace world
