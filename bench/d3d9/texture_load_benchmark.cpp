// The texture loader on the files the viewer meets: the demo world's 256 x 256 ground texture
// and 1024 x 1024 PNG, JPEG and DDS pictures of noisy terrain-like colour, decoded from memory
// into the full mip chain that D3DXCreateTextureFromFileA uploads.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "demo/demo_world.h"
#include "image/image_file.h"
#include "image/image_test_files.h"

namespace {

using namespace image;

using image_test::Bytes;

constexpr int Side = 1024;

std::vector<std::uint8_t> NoisyRgb() {
    std::vector<std::uint8_t> rgb(std::size_t{Side} * Side * 3);
    std::uint32_t state = 2463534242u;
    for (std::size_t i = 0; i < rgb.size(); ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        // Smooth gradients with a little grain, compressible like a real ground texture.
        const std::size_t pixel = i / 3;
        const auto x = static_cast<std::uint32_t>(pixel % Side);
        const auto y = static_cast<std::uint32_t>(pixel / Side);
        rgb[i] = static_cast<std::uint8_t>(((x + 2 * y + 40 * (i % 3)) / 8) + (state & 15));
    }
    return rgb;
}

// A DXT1 file with its own full chain, block bits taken from the same noise.
Bytes Dxt1File() {
    Bytes file = image_test::DdsHeader(Side, Side, 11, "DXT1");
    std::uint32_t state = 88172645u;
    for (int side = Side; side >= 1; side /= 2) {
        const std::size_t blocks = std::size_t((side + 3) / 4) * ((side + 3) / 4);
        for (std::size_t i = 0; i < blocks * 8; ++i) {
            state = state * 1664525u + 1013904223u;
            file.push_back(static_cast<std::uint8_t>(state >> 24));
        }
    }
    return file;
}

void Decode(benchmark::State& state, const Bytes& file) {
    for (auto _ : state) {
        TextureImage image;
        if (DecodeTextureImage(file, image) != ImageStatus::Ok) {
            state.SkipWithError("the file did not decode");
            return;
        }
        benchmark::DoNotOptimize(image.levels.data());
    }
}

void BM_DecodeDemoGroundTexture(benchmark::State& state) {
    Decode(state, demo::DemoGroundTexturePng());
}
BENCHMARK(BM_DecodeDemoGroundTexture)->Unit(benchmark::kMillisecond);

void BM_DecodePng1024(benchmark::State& state) {
    Decode(state, image_test::Png(Side, Side, 3, NoisyRgb()));
}
BENCHMARK(BM_DecodePng1024)->Unit(benchmark::kMillisecond);

void BM_DecodeJpeg1024(benchmark::State& state) {
    Decode(state, image_test::Jpeg(Side, Side, NoisyRgb()));
}
BENCHMARK(BM_DecodeJpeg1024)->Unit(benchmark::kMillisecond);

void BM_DecodeDds1024(benchmark::State& state) {
    Decode(state, Dxt1File());
}
BENCHMARK(BM_DecodeDds1024)->Unit(benchmark::kMillisecond);

}  // namespace
