#include "terrain/shading_range.h"

#include <algorithm>

ShadingRange ShadingRange::Find(const HeightmapSamples& samples) {
    // Branch-free min/max so the compiler can vectorise the pass.
    std::uint16_t low = 65535;
    std::uint16_t high = 0;
    for (const std::uint16_t sample : samples) {
        const std::uint16_t candidate = sample >= MinRangeSample ? sample : std::uint16_t{65535};
        low = std::min(low, candidate);
        high = std::max(high, sample);
    }
    return ShadingRange(low, high);
}

ShadingRange::ShadingRange(std::uint16_t low, std::uint16_t high) : low_(low) {
    // When no sample reaches MinRangeSample, low (65535) lies above every sample, so the range
    // is never used; it must still be a valid divisor.
    range_ = high > low ? static_cast<std::uint32_t>(high - low) : 1u;
    reciprocal_ = ((std::uint64_t{1} << ReciprocalShift) + range_ - 1) / range_;
}
