#include "demo/demo_world.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include <spng.h>

#include <memory>

namespace demo {

namespace {

namespace fs = std::filesystem;

constexpr int SectorSide = 127;
constexpr int SectorStep = SectorSide - 1;  // sectors share their edge samples
constexpr std::size_t HeaderSize = 24;
constexpr int TextureSide = 256;

// Land heights in samples (a quarter of a world unit each): rolling hills from about 30 to 450
// units, with water (samples of 100 or less) only in the river and the lake.
constexpr double LandLowSample = 130.0;
constexpr double LandReliefSamples = 1500.0;
constexpr double DetailSamples = 140.0;
constexpr double WaterTopSample = 100.0;
constexpr double WaterBedSample = 30.0;
constexpr double ShoreSample = 104.0;  // the first land above the water line
// In samples: the river's half width, the valley that falls towards any water, and the lake.
constexpr double RiverHalfWidth = 6.0;
constexpr double ValleyWidth = 30.0;
constexpr double LakeRadius = 30.0;

// A 32-bit integer hash (an avalanche mix of multiply and xor-shift), the demo's only source of
// randomness: no library generator, no clock.
std::uint32_t Hash(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    std::uint32_t h =
        a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

double Unit(std::uint32_t hash) {
    return static_cast<double>(hash >> 8) / 16777216.0;
}

double Smooth(double t) {
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

// Value noise on a lattice of `cell` units; lattice points wrap every `period` cells (0: never),
// which makes the texture tile.
double ValueNoise(std::int64_t x, std::int64_t y, std::int64_t cell, std::int64_t period,
                  std::uint32_t seed) {
    const auto floorDiv = [](std::int64_t a, std::int64_t b) {
        return a >= 0 ? a / b : -((-a + b - 1) / b);
    };
    const std::int64_t cx = floorDiv(x, cell);
    const std::int64_t cy = floorDiv(y, cell);
    const double fx = Smooth(static_cast<double>(x - cx * cell) / static_cast<double>(cell));
    const double fy = Smooth(static_cast<double>(y - cy * cell) / static_cast<double>(cell));
    const auto corner = [&](std::int64_t ix, std::int64_t iy) {
        if (period > 0) {
            ix = ((ix % period) + period) % period;
            iy = ((iy % period) + period) % period;
        }
        return Unit(Hash(static_cast<std::uint32_t>(ix), static_cast<std::uint32_t>(iy), seed));
    };
    const double top = corner(cx, cy) + (corner(cx + 1, cy) - corner(cx, cy)) * fx;
    const double bottom = corner(cx, cy + 1) + (corner(cx + 1, cy + 1) - corner(cx, cy + 1)) * fx;
    return top + (bottom - top) * fy;
}

// Fractal sum of octaves from `cell` down to 2 units, each half the size and weight of the one
// before; about 0 .. 1.
double Fractal(std::int64_t x, std::int64_t y, std::int64_t cell, std::int64_t period,
               std::uint32_t seed) {
    double sum = 0.0;
    double weight = 0.5;
    double total = 0.0;
    std::uint32_t octave = 0;
    while (cell >= 2) {
        sum += weight * ValueNoise(x, y, cell, period, seed + 0x1000193u * ++octave);
        total += weight;
        weight *= 0.5;
        cell /= 2;
        if (period > 0) {
            period *= 2;
        }
    }
    return sum / total;
}

void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

void PutLe32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

double SmoothStep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// The river's course near one sector: its centre across y and its half width at each sample
// column within reach. The centre is two octaves of smooth value noise, the finest a third of a
// sector long, so that the river bends gently; finer octaves would cut its banks into steps.
class RiverCourse {
public:
    // Beyond this many samples from the river the valley no longer falls towards it.
    static constexpr std::int64_t Reach =
        static_cast<std::int64_t>(ValleyWidth + 2 * RiverHalfWidth);

    RiverCourse(const DemoWorld& world, std::int64_t firstX, std::int64_t lastX)
        : firstX_(firstX - Reach) {
        const double spanY = static_cast<double>(std::int64_t{world.sectorsY} * SectorStep);
        const double swing = std::min(spanY / 4.0, 90.0);
        for (std::int64_t gx = firstX_; gx <= lastX + Reach; ++gx) {
            const double bend = 0.7 * ValueNoise(gx, 0, 128, 0, world.seed ^ 0x52495645u) +
                                0.3 * ValueNoise(gx, 0, 48, 0, world.seed ^ 0x42454E44u);
            centres_.push_back(spanY / 2.0 + swing * (2.0 * bend - 1.0));
            lowest_ = std::min(lowest_, centres_.back());
            highest_ = std::max(highest_, centres_.back());
            halfWidths_.push_back(RiverHalfWidth *
                                  (0.8 + 0.5 * ValueNoise(gx, 0, 64, 0, world.seed ^ 0x57494454u)));
        }
    }

    // How far (gx, gy) lies from the river's bank, in samples, measured to the nearest point of
    // its course, so that the banks slope at right angles to it: negative in the water.
    double Distance(std::int64_t gx, std::int64_t gy) const {
        const double y = static_cast<double>(gy);
        if (y < lowest_ - Reach || y > highest_ + Reach) {
            return static_cast<double>(Reach);  // out of reach, as far as the valley cares
        }
        double nearest = static_cast<double>(Reach * Reach) * 4.0;
        double halfWidth = 0.0;
        for (std::int64_t dx = -Reach; dx <= Reach; ++dx) {
            const auto column = static_cast<std::size_t>(gx + dx - firstX_);
            const double dy = static_cast<double>(gy) - centres_[column];
            const double squared = static_cast<double>(dx * dx) + dy * dy;
            if (squared < nearest) {
                nearest = squared;
                halfWidth = halfWidths_[column];
            }
        }
        return std::sqrt(nearest) - halfWidth;
    }

private:
    std::int64_t firstX_;
    double lowest_ = 1e300;
    double highest_ = -1e300;
    std::vector<double> centres_;
    std::vector<double> halfWidths_;
};

// How far a global sample position lies outside the world's water, in samples: negative inside
// the river or the lake. The river meanders along x through the middle of the world; the lake
// lies in its first third along x and its last third along y.
double DistanceToWater(const DemoWorld& world, const RiverCourse& river, std::int64_t gx,
                       std::int64_t gy) {
    const double spanX = static_cast<double>(std::int64_t{world.sectorsX} * SectorStep);
    const double spanY = static_cast<double>(std::int64_t{world.sectorsY} * SectorStep);
    const double lakeX = static_cast<double>(gx) - spanX * 0.3;
    const double lakeY = static_cast<double>(gy) - spanY * 0.75;
    const double lake = std::sqrt(lakeX * lakeX + lakeY * lakeY) - LakeRadius;
    return std::min(river.Distance(gx, gy), lake);
}

// The height sample at a global sample position: a pure function of the world and the position,
// so that neighbouring sectors agree on their shared edges and any sector can be made alone.
std::uint16_t SampleAt(const DemoWorld& world, const RiverCourse& river, std::int64_t gx,
                       std::int64_t gy) {
    const double hills = SmoothStep(0.1, 0.9, Fractal(gx, gy, 96, 0, world.seed));
    const double detail = Fractal(gx, gy, 16, 0, world.seed ^ 0xA5A5A5A5u);
    const double land = LandLowSample + LandReliefSamples * hills + DetailSamples * detail;
    const double water = DistanceToWater(world, river, gx, gy);
    double sample = 0.0;
    if (water < 0.0) {
        // The bed deepens towards the middle of the water.
        sample = WaterTopSample - (WaterTopSample - WaterBedSample) * SmoothStep(0.0, 4.0, -water);
    } else {
        sample = ShoreSample + (land - ShoreSample) * SmoothStep(0.0, ValleyWidth, water);
    }
    return static_cast<std::uint16_t>(std::lround(sample));
}

std::vector<std::uint16_t> SectorOf(const DemoWorld& world, int x, int y) {
    const std::int64_t firstX = std::int64_t{x} * SectorStep;
    const RiverCourse river(world, firstX, firstX + SectorStep);
    std::vector<std::uint16_t> samples(std::size_t{SectorSide} * SectorSide);
    for (int r = 0; r < SectorSide; ++r) {
        for (int c = 0; c < SectorSide; ++c) {
            samples[static_cast<std::size_t>(r) * SectorSide + static_cast<std::size_t>(c)] =
                SampleAt(world, river, firstX + r, std::int64_t{y} * SectorStep + c);
        }
    }
    return samples;
}

std::vector<std::uint8_t> HeightmapFileOf(const std::vector<std::uint16_t>& samples, int x, int y) {
    // The header is never interpreted by the viewer; it names the format, the grid and the
    // sector for a human reading the bytes.
    std::vector<std::uint8_t> bytes(HeaderSize, 0);
    bytes[0] = 'Z';
    bytes[1] = 'D';
    bytes[2] = 'T';
    bytes[3] = '1';
    PutLe32(bytes, 4, SectorSide);
    PutLe32(bytes, 8, SectorSide);
    PutLe32(bytes, 12, static_cast<std::uint32_t>(x));
    PutLe32(bytes, 16, static_cast<std::uint32_t>(y));
    bytes.reserve(HeaderSize + samples.size() * 2);
    for (const std::uint16_t sample : samples) {
        bytes.push_back(static_cast<std::uint8_t>(sample & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(sample >> 8));
    }
    return bytes;
}

// RGB pixels, row by row, as PNG bytes, encoded in memory by libspng.
std::vector<std::uint8_t> EncodeRgbPng(const std::vector<std::uint8_t>& rgb, std::uint32_t width,
                                       std::uint32_t height) {
    const std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> context(
        spng_ctx_new(SPNG_CTX_ENCODER), spng_ctx_free);
    if (!context) {
        throw std::runtime_error("cannot start a PNG encoder");
    }
    spng_ihdr header{};
    header.width = width;
    header.height = height;
    header.bit_depth = 8;
    header.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
    int code = spng_set_option(context.get(), SPNG_ENCODE_TO_BUFFER, 1);
    if (code == 0) {
        code = spng_set_ihdr(context.get(), &header);
    }
    if (code == 0) {
        code = spng_encode_image(context.get(), rgb.data(), rgb.size(), SPNG_FMT_PNG,
                                 SPNG_ENCODE_FINALIZE);
    }
    std::size_t size = 0;
    const std::unique_ptr<void, decltype(&std::free)> buffer(
        code == 0 ? spng_get_png_buffer(context.get(), &size, &code) : nullptr, std::free);
    if (!buffer) {
        throw std::runtime_error(std::string("cannot encode the ground texture: ") +
                                 spng_strerror(code));
    }
    const auto* bytes = static_cast<const std::uint8_t*>(buffer.get());
    return {bytes, bytes + size};
}

}  // namespace

std::vector<std::uint16_t> DemoSectorSamples(const DemoWorld& world, int x, int y) {
    return SectorOf(world, x, y);
}

std::vector<std::uint8_t> DemoHeightmapFile(const DemoWorld& world, int x, int y) {
    return HeightmapFileOf(DemoSectorSamples(world, x, y), x, y);
}

std::vector<std::uint8_t> DemoGroundTexturePng() {
    // Earth and grass patches, a finer mottle and grain; every lattice wraps at the texture's
    // side, so the image tiles without seams.
    std::vector<std::uint8_t> rgb(std::size_t{TextureSide} * TextureSide * 3);
    for (int y = 0; y < TextureSide; ++y) {
        for (int x = 0; x < TextureSide; ++x) {
            const double patches = Fractal(x, y, 64, TextureSide / 64, 0x6A09E667u);
            const double mottle = Fractal(x, y, 16, TextureSide / 16, 0xBB67AE85u);
            const double grain = Unit(
                Hash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), 0x3C6EF372u));
            const double grass = std::clamp((patches - 0.42) * 5.0, 0.0, 1.0);
            const double light = 0.82 + 0.22 * mottle + 0.08 * grain;
            const std::array<double, 3> earth{168, 146, 112};
            const std::array<double, 3> meadow{122, 156, 88};
            for (int channel = 0; channel < 3; ++channel) {
                const double colour =
                    (earth[channel] + (meadow[channel] - earth[channel]) * grass) * light;
                rgb[(static_cast<std::size_t>(y) * TextureSide + x) * 3 + channel] =
                    static_cast<std::uint8_t>(std::clamp(std::lround(colour), 0L, 255L));
            }
        }
    }
    return EncodeRgbPng(rgb, TextureSide, TextureSide);
}

std::string DemoSystemReg() {
    // A fixed modification time keeps the file identical on every run.
    return "WINE REGISTRY Version 2\n"
           ";; All keys relative to \\\\Machine\n"
           "\n"
           "#arch=win64\n"
           "\n"
           "[Software\\\\Wow6432Node\\\\MolvaneStudios\\\\Quarlend] 1704067200\n"
           "@=\"C:\\\\Games\\\\Quarlend\"\n";
}

void WriteWorldPrefix(const fs::path& directory, std::span<const DemoWorld> worlds) {
    fs::create_directories(directory);
    const std::string reg = DemoSystemReg();
    WriteBytes(directory / "system.reg", std::vector<std::uint8_t>(reg.begin(), reg.end()));

    const fs::path driveC = directory / "drive_c";
    fs::create_directories(driveC);
    const fs::path devices = directory / "dosdevices";
    fs::create_directories(devices);
    const fs::path driveLink = devices / "c:";
    if (fs::is_symlink(fs::symlink_status(driveLink)) ||
        fs::exists(fs::symlink_status(driveLink))) {
        fs::remove(driveLink);
    }
    fs::create_directory_symlink("../drive_c", driveLink);

    const fs::path cache = driveC / "Games" / "Quarlend" / "world_cache";
    for (const DemoWorld& world : worlds) {
        for (int x = 0; x < world.sectorsX; ++x) {
            for (int y = 0; y < world.sectorsY; ++y) {
                const std::string sector = std::to_string(x) + "_" + std::to_string(y);
                const fs::path sectorDirectory =
                    cache / std::string(world.name) / "terrain" / sector;
                fs::create_directories(sectorDirectory);
                WriteBytes(sectorDirectory / ("heightmap_" + sector + ".zdt"),
                           HeightmapFileOf(SectorOf(world, x, y), x, y));
            }
        }
    }
}

void WriteDemoPrefix(const fs::path& directory) {
    WriteWorldPrefix(directory, DemoWorlds);
    WriteBytes(directory / "terrain.image", DemoGroundTexturePng());
}

}  // namespace demo
