#include "demo_world.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <stdexcept>
#include <string>

#include <stb/stb_image_write.h>

namespace {

namespace fs = std::filesystem;

constexpr int SectorSide = 127;
constexpr int SectorStep = SectorSide - 1;  // sectors share their edge samples
constexpr std::size_t HeaderSize = 24;
constexpr int TextureSide = 256;

// Highest land sample (z = 3,500 world units) and the share of the ground under water.
constexpr double PeakSample = 8000.0;
constexpr double WaterShare = 0.3;
constexpr double WaterTopSample = 100.0;

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

// Raw terrain value at a global sample position: broad fractal hills with ridges carved in,
// about 0 .. 1.
double TerrainValue(const DemoWorld& world, std::int64_t gx, std::int64_t gy) {
    const double hills = Fractal(gx, gy, 128, 0, world.seed);
    const double ridges =
        1.0 - std::abs(2.0 * Fractal(gx, gy, 64, 0, world.seed ^ 0xA5A5A5A5u) - 1.0);
    return 0.7 * hills + 0.3 * ridges * hills;
}

// The value range over a whole world, so that every sector of it shares one height mapping.
struct WorldRange {
    double low;
    double high;
    double water;  // values up to this are under water
};

// Water rises from 0 to WaterTopSample (shown white); land climbs from MinRangeSample-level
// shore to PeakSample, steepening with height.
std::uint16_t SampleOf(double value, const WorldRange& range) {
    if (value <= range.water) {
        const double depth = (value - range.low) / std::max(range.water - range.low, 1e-9);
        return static_cast<std::uint16_t>(
            std::lround(std::clamp(depth, 0.0, 1.0) * WaterTopSample));
    }
    const double t =
        std::clamp((value - range.water) / std::max(range.high - range.water, 1e-9), 0.0, 1.0);
    return static_cast<std::uint16_t>(
        std::lround(WaterTopSample + 1.0 + t * std::sqrt(t) * (PeakSample - WaterTopSample - 1.0)));
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

void AppendPng(void* context, void* data, int size) {
    auto* bytes = static_cast<std::vector<std::uint8_t>*>(context);
    const auto* begin = static_cast<const std::uint8_t*>(data);
    bytes->insert(bytes->end(), begin, begin + size);
}

void PutLe32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// Every sample of a world on one global grid, x (the sectors' row index) major.
struct WorldGrid {
    std::int64_t width = 0;   // samples along x
    std::int64_t height = 0;  // samples along y
    std::vector<std::uint16_t> samples;

    std::uint16_t At(std::int64_t gx, std::int64_t gy) const {
        return samples[static_cast<std::size_t>(gx * height + gy)];
    }
};

WorldGrid GridOf(const DemoWorld& world) {
    WorldGrid grid;
    grid.width = std::int64_t{world.sectorsX} * SectorStep + 1;
    grid.height = std::int64_t{world.sectorsY} * SectorStep + 1;
    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(grid.width * grid.height));
    for (std::int64_t gx = 0; gx < grid.width; ++gx) {
        for (std::int64_t gy = 0; gy < grid.height; ++gy) {
            values.push_back(TerrainValue(world, gx, gy));
        }
    }
    // One height mapping for the whole world keeps the sectors continuous.
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    WorldRange range{*low, *high, 0.0};
    std::vector<double> sorted = values;
    const auto waterLine = sorted.begin() + static_cast<std::ptrdiff_t>(
                                                WaterShare * static_cast<double>(sorted.size()));
    std::nth_element(sorted.begin(), waterLine, sorted.end());
    range.water = *waterLine;

    grid.samples.reserve(values.size());
    for (const double value : values) {
        grid.samples.push_back(SampleOf(value, range));
    }
    return grid;
}

std::vector<std::uint16_t> SectorOf(const WorldGrid& grid, int x, int y) {
    std::vector<std::uint16_t> samples(std::size_t{SectorSide} * SectorSide);
    for (int r = 0; r < SectorSide; ++r) {
        for (int c = 0; c < SectorSide; ++c) {
            samples[static_cast<std::size_t>(r) * SectorSide + static_cast<std::size_t>(c)] =
                grid.At(std::int64_t{x} * SectorStep + r, std::int64_t{y} * SectorStep + c);
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

}  // namespace

std::vector<std::uint16_t> DemoSectorSamples(const DemoWorld& world, int x, int y) {
    return SectorOf(GridOf(world), x, y);
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
    std::vector<std::uint8_t> png;
    if (!stbi_write_png_to_func(AppendPng, &png, TextureSide, TextureSide, 3, rgb.data(),
                                TextureSide * 3)) {
        throw std::runtime_error("cannot encode the ground texture");
    }
    return png;
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

void WriteDemoPrefix(const fs::path& directory) {
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
    for (const DemoWorld& world : DemoWorlds) {
        const WorldGrid grid = GridOf(world);
        for (int x = 0; x < world.sectorsX; ++x) {
            for (int y = 0; y < world.sectorsY; ++y) {
                const std::string sector = std::to_string(x) + "_" + std::to_string(y);
                const fs::path sectorDirectory =
                    cache / std::string(world.name) / "terrain" / sector;
                fs::create_directories(sectorDirectory);
                WriteBytes(sectorDirectory / ("heightmap_" + sector + ".zdt"),
                           HeightmapFileOf(SectorOf(grid, x, y), x, y));
            }
        }
    }
    WriteBytes(directory / "terrain.image", DemoGroundTexturePng());
}
