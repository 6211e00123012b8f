#include "terrain/shading_range.h"

#include <algorithm>
#include <array>

ShadingRange ShadingRange::Find(const HeightmapSamples& samples) {
    // Independent lanes break the min/max dependency chain and let the compiler vectorise; the
    // result is the same as one running low and high.
    constexpr std::size_t Lanes = 16;
    std::array<std::uint16_t, Lanes> lows;
    std::array<std::uint16_t, Lanes> highs;
    lows.fill(65535);
    highs.fill(0);
    const auto visit = [](std::uint16_t sample, std::uint16_t& low, std::uint16_t& high) {
        // Samples below MinRangeSample count as 65535, which never lowers low.
        const std::uint16_t candidate = sample >= MinRangeSample ? sample : std::uint16_t{65535};
        low = std::min(low, candidate);
        high = std::max(high, sample);
    };
    const std::size_t whole = samples.size() / Lanes * Lanes;
    for (std::size_t i = 0; i < whole; i += Lanes) {
        for (std::size_t lane = 0; lane < Lanes; ++lane) {
            visit(samples[i + lane], lows[lane], highs[lane]);
        }
    }
    for (std::size_t i = whole; i < samples.size(); ++i) {
        visit(samples[i], lows[0], highs[0]);
    }
    return ShadingRange(*std::min_element(lows.begin(), lows.end()),
                        *std::max_element(highs.begin(), highs.end()));
}

ShadingRange::ShadingRange(std::uint16_t low, std::uint16_t high) : low_(low) {
    // When no sample reaches MinRangeSample, low (65535) lies above every sample, so the range
    // is never used; it must still be a valid divisor.
    range_ = high > low ? static_cast<std::uint32_t>(high - low) : 1u;
    reciprocal_ = ((std::uint64_t{1} << ReciprocalShift) + range_ - 1) / range_;
}
