// Loading one sector: the heightmap file read from the page cache plus the mesh, the mesh
// builder alone, and the same bytes written by a plain loop (the floor the builder is measured
// against).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/platform/wine/wine_prefix.h"
#include "terrain/heightmap_file.h"
#include "terrain/terrain_mesh.h"

namespace {

HeightmapSamples RollingSamples() {
    HeightmapSamples samples;
    std::uint32_t state = 12345;
    for (std::uint16_t& sample : samples) {
        state = state * 1664525u + 1013904223u;
        sample = static_cast<std::uint16_t>(state >> 18);  // 0 .. 16383
    }
    return samples;
}

void BM_BuildTerrainMesh(benchmark::State& state) {
    const HeightmapSamples samples = RollingSamples();
    std::vector<TerrainVertex> vertices(TerrainVertexCount);
    for (auto _ : state) {
        BuildTerrainMesh(samples, vertices.data());
        benchmark::DoNotOptimize(vertices.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * TerrainMeshBytes);
}
BENCHMARK(BM_BuildTerrainMesh);

// The same 387,096 bytes written vertex by vertex from the samples, without shading or
// coordinates: what the builder would cost if it did no arithmetic at all.
void BM_PlainVertexWrite(benchmark::State& state) {
    const HeightmapSamples samples = RollingSamples();
    std::vector<TerrainVertex> vertices(TerrainVertexCount);
    for (auto _ : state) {
        TerrainVertex* out = vertices.data();
        for (const std::uint16_t sample : samples) {
            const float value = static_cast<float>(sample);
            *out++ = TerrainVertex{value, value, value, sample, value, value};
        }
        benchmark::DoNotOptimize(vertices.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * TerrainMeshBytes);
}
BENCHMARK(BM_PlainVertexWrite);

// A full heightmap file in a throw-away prefix's C: drive, read once before timing so that it
// sits in the page cache.
void BM_ReadHeightmapAndBuildMesh(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path prefix =
        fs::temp_directory_path() / ("velmora-bench-terrain-" + std::to_string(::getpid()));
    fs::create_directories(prefix / "drive_c");
    fs::create_directories(prefix / "dosdevices");
    fs::remove(prefix / "dosdevices" / "c:");
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
    {
        const HeightmapSamples samples = RollingSamples();
        std::ofstream out(prefix / "drive_c" / "heightmap_0_0.zdt", std::ios::binary);
        out.write(std::string(HeightmapHeaderSize, '\0').data(), HeightmapHeaderSize);
        out.write(reinterpret_cast<const char*>(samples.data()), HeightmapSampleBytes);
    }
    ::setenv("WINEPREFIX", prefix.c_str(), 1);
    wine::ResetPrefixSelection();

    const char* path = "C:\\heightmap_0_0.zdt";
    HeightmapSamples samples;
    std::vector<TerrainVertex> vertices(TerrainVertexCount);
    if (!ReadHeightmap(path, samples)) {
        state.SkipWithError("cannot read the heightmap");
    }
    for (auto _ : state) {
        ReadHeightmap(path, samples);
        BuildTerrainMesh(samples, vertices.data());
        benchmark::DoNotOptimize(vertices.data());
        benchmark::ClobberMemory();
    }
    fs::remove_all(prefix);
}
BENCHMARK(BM_ReadHeightmapAndBuildMesh);

}  // namespace
