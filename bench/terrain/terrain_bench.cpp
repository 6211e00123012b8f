// Loading one sector: the mesh builder alone, the same bytes written by a plain loop (the floor
// the builder is measured against), and, once the heightmap reader is built, file + mesh.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

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

}  // namespace
