#pragma once
// The grey shade of a terrain vertex: black at the lowest sample of at least MinRangeSample,
// brightening linearly to white at the highest sample; lower ground is white.

#include <cstdint>

#include "terrain/heightmap_samples.h"

class ShadingRange {
public:
    // Scans every sample once for the low end (the smallest sample >= MinRangeSample) and the
    // high end (the largest sample).
    static ShadingRange Find(const HeightmapSamples& samples);
    ShadingRange(std::uint16_t low, std::uint16_t high);

    std::uint16_t Low() const { return low_; }
    std::uint32_t Range() const { return range_; }

    // floor((s - low) * 256 / range), 255 at most, and 255 for samples below low. The division
    // is done by an exact reciprocal multiply because it runs once per vertex.
    std::uint8_t Shade(std::uint16_t sample) const {
        if (sample < low_) {
            return 255;
        }
        const std::uint64_t scaled = std::uint64_t{static_cast<std::uint32_t>(sample - low_)} << 8;
        const std::uint64_t quotient = (scaled * reciprocal_) >> ReciprocalShift;
        return quotient > 255 ? std::uint8_t{255} : static_cast<std::uint8_t>(quotient);
    }

private:
    // Numerators stay below 2^24 and ranges below 2^16; with a 40-bit shift the rounded-up
    // reciprocal gives the exact floor for every such pair and the product fits in 64 bits.
    static constexpr unsigned ReciprocalShift = 40;

    std::uint16_t low_;
    std::uint32_t range_;
    std::uint64_t reciprocal_;
};
