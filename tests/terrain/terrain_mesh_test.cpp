#include "terrain/terrain_mesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "terrain/shading_range.h"

namespace {

std::uint32_t Grey(std::uint32_t shade) {
    return shade * 0x010101u;
}

std::vector<TerrainVertex> Build(const HeightmapSamples& samples) {
    std::vector<TerrainVertex> vertices(TerrainVertexCount);
    BuildTerrainMesh(samples, vertices.data());
    return vertices;
}

HeightmapSamples Filled(std::uint16_t value) {
    HeightmapSamples samples;
    samples.fill(value);
    return samples;
}

// Every sample distinct, so each vertex's z tells which sample it came from.
HeightmapSamples Numbered() {
    HeightmapSamples samples;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::uint16_t>(i + 1);
    }
    return samples;
}

TEST(GridConstants, TextureStepHasItsExactBits) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(TextureStep), 0x3E124925u);
    EXPECT_FLOAT_EQ(TextureStep, 1.0f / 7.0f);
}

TEST(TerrainMesh, VerticesFollowColumnMajorOrderWithTheirCoordinates) {
    const HeightmapSamples samples = Numbered();
    const std::vector<TerrainVertex> mesh = Build(samples);

    // Vertex 0: sample (0, 0).
    EXPECT_EQ(mesh[0].z, samples[SampleIndex(0, 0)] * 0.25f);
    EXPECT_EQ(mesh[0].x, 0.0f);
    EXPECT_EQ(mesh[0].y, 0.0f);
    EXPECT_EQ(mesh[0].u, 0.0f);
    EXPECT_EQ(mesh[0].v, 0.0f);

    // Vertex 1: sample (1, 0), one row further.
    EXPECT_EQ(mesh[1].z, samples[SampleIndex(1, 0)] * 0.25f);
    EXPECT_EQ(mesh[1].x, 10.0f);
    EXPECT_EQ(mesh[1].y, 0.0f);
    EXPECT_EQ(mesh[1].u, TextureStep);
    EXPECT_EQ(mesh[1].v, 0.0f);

    // Vertex 127: sample (0, 1), one column further.
    EXPECT_EQ(mesh[127].z, samples[SampleIndex(0, 1)] * 0.25f);
    EXPECT_EQ(mesh[127].x, 0.0f);
    EXPECT_EQ(mesh[127].y, 10.0f);
    EXPECT_EQ(mesh[127].u, 0.0f);
    EXPECT_EQ(mesh[127].v, TextureStep);

    // Vertex 16,128: the last sample.
    EXPECT_EQ(mesh[16128].z, samples[SampleIndex(126, 126)] * 0.25f);
    EXPECT_EQ(mesh[16128].x, 1260.0f);
    EXPECT_EQ(mesh[16128].y, 1260.0f);
    EXPECT_EQ(mesh[16128].u, 18.0f);
    EXPECT_EQ(mesh[16128].v, 18.0f);

    // Every vertex, in one sweep.
    for (int c = 0; c < GridSide; ++c) {
        for (int r = 0; r < GridSide; ++r) {
            const TerrainVertex& vertex = mesh[127 * c + r];
            ASSERT_EQ(vertex.z, static_cast<float>(samples[SampleIndex(r, c)]) * 0.25f)
                << r << "," << c;
            ASSERT_EQ(vertex.x, static_cast<float>(r) * 10.0f);
            ASSERT_EQ(vertex.y, static_cast<float>(c) * 10.0f);
            ASSERT_EQ(vertex.u, static_cast<float>(r) * TextureStep);
            ASSERT_EQ(vertex.v, static_cast<float>(c) * TextureStep);
        }
    }
    EXPECT_EQ(mesh[7].u, 1.0f);
    EXPECT_EQ(mesh[7 * 127].v, 1.0f);
}

TEST(TerrainMesh, HeightsScaleByAQuarter) {
    HeightmapSamples samples = Filled(0);
    samples[SampleIndex(3, 4)] = 65535;
    samples[SampleIndex(5, 6)] = 1;
    const std::vector<TerrainVertex> mesh = Build(samples);
    EXPECT_EQ(mesh[127 * 4 + 3].z, 16383.75f);
    EXPECT_EQ(mesh[127 * 6 + 5].z, 0.25f);
}

TEST(TerrainMesh, ShadesFollowTheRangeBetweenLowAndHigh) {
    // low 200, high 1,224: range 1,024.
    HeightmapSamples samples = Filled(0);
    const std::uint16_t values[] = {200, 712, 1216, 1220, 1224, 50, 0};
    const std::uint32_t shades[] = {0, 128, 254, 255, 255, 255, 255};
    for (int i = 0; i < 7; ++i) {
        samples[SampleIndex(i, 0)] = values[i];
    }
    const std::vector<TerrainVertex> mesh = Build(samples);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(mesh[i].diffuse, Grey(shades[i])) << "sample " << values[i];
    }
    // Shade 128: 128 in each of red, green and blue, alpha 0.
    EXPECT_EQ(mesh[1].diffuse, 0x00808080u);
}

TEST(TerrainMesh, AllZeroIsWhiteAndFlat) {
    for (const TerrainVertex& vertex : Build(Filled(0))) {
        ASSERT_EQ(vertex.diffuse, 0x00FFFFFFu);
        ASSERT_EQ(vertex.z, 0.0f);
    }
}

TEST(TerrainMesh, OneValueAboveTheThresholdIsBlack) {
    for (const TerrainVertex& vertex : Build(Filled(500))) {
        ASSERT_EQ(vertex.diffuse, 0u);
        ASSERT_EQ(vertex.z, 125.0f);
    }
}

TEST(TerrainMesh, TheLastRowAndColumnTakePartInTheRange) {
    for (const int row : {0, 63, 126}) {
        HeightmapSamples samples = Filled(100);
        samples[SampleIndex(row, 126)] = 101;
        const std::vector<TerrainVertex> mesh = Build(samples);
        const std::size_t lone = 127 * 126 + row;
        for (std::size_t i = 0; i < mesh.size(); ++i) {
            ASSERT_EQ(mesh[i].diffuse, i == lone ? 0u : 0x00FFFFFFu) << "vertex " << i;
        }
    }
    HeightmapSamples samples = Filled(300);
    samples[SampleIndex(126, 40)] = 400;  // the highest sample only in the last row
    const std::vector<TerrainVertex> mesh = Build(samples);
    EXPECT_EQ(mesh[127 * 40 + 126].diffuse, Grey(255));
    EXPECT_EQ(mesh[0].diffuse, 0u);
}

TEST(TerrainMesh, WritesExactlyTheMeshAndNothingBeyond) {
    const std::size_t guard = 16;
    std::vector<TerrainVertex> storage(TerrainVertexCount + guard);
    std::memset(storage.data(), 0xAB, storage.size() * sizeof(TerrainVertex));
    BuildTerrainMesh(Numbered(), storage.data());
    for (std::size_t i = TerrainVertexCount; i < storage.size(); ++i) {
        ASSERT_EQ(storage[i].diffuse, 0xABABABABu);
    }
    EXPECT_NE(storage[TerrainVertexCount - 1].diffuse, 0xABABABABu);
}

TEST(ShadingRange, FindsLowAtOrAboveTheThresholdAndHighOverAll) {
    HeightmapSamples samples = Filled(100);
    samples[SampleIndex(10, 10)] = 101;
    samples[SampleIndex(126, 126)] = 900;
    const ShadingRange range = ShadingRange::Find(samples);
    EXPECT_EQ(range.Low(), 101);
    EXPECT_EQ(range.Range(), 799u);

    const ShadingRange none = ShadingRange::Find(Filled(100));
    EXPECT_EQ(none.Low(), 65535);
    EXPECT_EQ(none.Shade(100), 255);
    EXPECT_EQ(none.Shade(0), 255);

    const ShadingRange flat = ShadingRange::Find(Filled(65535));
    EXPECT_EQ(flat.Low(), 65535);
    EXPECT_EQ(flat.Range(), 1u);
    EXPECT_EQ(flat.Shade(65535), 0);
}

TEST(ShadingRange, ReciprocalDivisionMatchesIntegerDivisionAtEveryStepOfEveryRange) {
    // For every possible range, the first sample of every shade and the one just below it.
    const std::uint16_t low = MinRangeSample;
    for (std::uint32_t range = 1; range <= 65535u - low; ++range) {
        const ShadingRange shading(low, static_cast<std::uint16_t>(low + range));
        ASSERT_EQ(shading.Range(), range);
        ASSERT_EQ(shading.Shade(low), 0);
        ASSERT_EQ(shading.Shade(static_cast<std::uint16_t>(low + range)), 255);
        for (std::uint32_t shade = 1; shade <= 255; ++shade) {
            const std::uint32_t first = (shade * range + 255) / 256;  // ceil(shade * range / 256)
            const std::uint32_t exact = std::min(first * 256 / range, 255u);
            ASSERT_EQ(shading.Shade(static_cast<std::uint16_t>(low + first)), exact)
                << "range " << range << " shade " << shade;
            const std::uint32_t below = (first - 1) * 256 / range;
            ASSERT_EQ(shading.Shade(static_cast<std::uint16_t>(low + first - 1)), below)
                << "range " << range << " shade " << shade;
        }
    }
}

}  // namespace
