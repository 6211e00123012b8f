// The world model and renderer over big demo worlds, written once into a temporary folder:
// the first pass cold (no summary cache) and warm, and a steady frame at 1280 x 720 with the
// data resident, from cameras along the flyover's loop and along a lower one, with its
// triangles per frame.
// Set beside bench_render's steady frame at the same size (VELMORA_BENCH_SIZE=1280x720).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "demo/demo_world.h"
#include "gl/headless_context.h"
#include "gl/offscreen_framebuffer.h"
#include "world/loop_camera.h"
#include "world/render/world_renderer.h"
#include "world/summary_file.h"
#include "world/world_model.h"

namespace {

namespace fs = std::filesystem;

constexpr int Width = 1280;
constexpr int Height = 720;

// A side x side world of demo terrain, written once per side for the whole run.
class BenchWorld {
public:
    explicit BenchWorld(int side) : side_(side) {
        std::string pattern = (fs::temp_directory_path() / "velmora-world-bench-XXXXXX").string();
        root_ = mkdtemp(pattern.data());
        const demo::DemoWorld world{"Benchquarlend", side, side, 0xBE7C4u};
        for (int a = 0; a < side; ++a) {
            for (int b = 0; b < side; ++b) {
                const std::string name = std::to_string(a) + "_" + std::to_string(b);
                const fs::path path = root_ / "terrain" / name / ("heightmap_" + name + ".zdt");
                fs::create_directories(path.parent_path());
                const std::vector<std::uint8_t> bytes = demo::DemoHeightmapFile(world, a, b);
                std::ofstream(path, std::ios::binary)
                    .write(reinterpret_cast<const char*>(bytes.data()),
                           static_cast<std::streamsize>(bytes.size()));
                // Stamped as both listers stamp what they list.
                sources_.push_back({name, path, world::StampOfFile(AT_FDCWD, path.c_str())});
            }
        }
    }
    ~BenchWorld() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    const std::vector<world::SectorSource>& Sources() const { return sources_; }
    fs::path CacheFolder() const { return root_ / "cache"; }
    int Side() const { return side_; }

private:
    int side_;
    fs::path root_;
    std::vector<world::SectorSource> sources_;
};

BenchWorld& World(int side) {
    static std::map<int, std::unique_ptr<BenchWorld>> worlds;
    auto& world = worlds[side];
    if (!world) {
        world = std::make_unique<BenchWorld>(side);
    }
    return *world;
}

void BM_FirstPassCold(benchmark::State& state) {
    BenchWorld& world = World(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        world::WorldModel model(world.Sources(), {});
        benchmark::DoNotOptimize(model.Range());
    }
    state.counters["sectors"] = static_cast<double>(world.Sources().size());
}

void BM_FirstPassWarm(benchmark::State& state) {
    BenchWorld& world = World(static_cast<int>(state.range(0)));
    world::ModelOptions options;
    options.summaryFolder = world.CacheFolder();
    world::WorldModel(world.Sources(), options);  // writes the summaries
    for (auto _ : state) {
        world::WorldModel model(world.Sources(), options);
        benchmark::DoNotOptimize(model.Range());
    }
}

// Eight cameras along `velmora flyover`'s own loop, a tenth of the world's side above its highest
// ground, looking ahead and 20 degrees down: the whole world ahead up to the horizon.
std::vector<world::Camera> FlyoverCameras(const world::WorldModel& model, int /*side*/) {
    std::vector<world::Camera> cameras;
    for (int k = 0; k < 8; ++k) {
        cameras.push_back(world::LoopCamera(model.Extent(), 15 * k, 120));
    }
    return cameras;
}

// Eight cameras on a lower loop, 1,500 units up and looking 36 degrees down: near ground fills
// the view, the hardest case for a small error bound.
std::vector<world::Camera> LowCameras(const world::WorldModel&, int side) {
    std::vector<world::Camera> cameras;
    const double middle = 630.0 * side;
    const double radius = 0.3 * 1260.0 * side;
    for (int k = 0; k < 8; ++k) {
        const double turn = k * 0.1;
        cameras.push_back({middle + radius * std::cos(turn), middle + radius * std::sin(turn),
                           1500.0, -turn, 2.2});
    }
    return cameras;
}

// Arguments: the world's side in sectors, and the error bound in pixels.
template <std::vector<world::Camera> (*Cameras)(const world::WorldModel&, int)>
void BM_SteadyFrame(benchmark::State& state) {
    BenchWorld& world = World(static_cast<int>(state.range(0)));
    const double maxError = static_cast<double>(state.range(1));
    gl::HeadlessContext context;
    gl::OffscreenFramebuffer target(Width, Height, gl::ClipOrigin::UpperLeft);
    world::render::WorldRenderer renderer;
    world::WorldModel model(world.Sources(), {});
    const std::vector<world::Camera> cameras = Cameras(model, world.Side());
    // Resident data first: every camera's sectors loaded and its patches on the GPU.
    for (const world::Camera& camera : cameras) {
        while (model.Select(camera, Width, Height, maxError).missingSectors > 0) {
            model.WaitForRequests();
        }
        renderer.Draw(model.Select(camera, Width, Height, maxError), camera, model.Range(),
                      target.name(), Width, Height);
    }
    std::size_t frame = 0;
    std::size_t triangles = 0;
    std::size_t patches = 0;
    for (auto _ : state) {
        const world::Camera& camera = cameras[frame++ % cameras.size()];
        renderer.Draw(model.Select(camera, Width, Height, maxError), camera, model.Range(),
                      target.name(), Width, Height);
        benchmark::DoNotOptimize(target.ReadPixels());
        triangles += renderer.LastFrame().triangles;
        patches += renderer.LastFrame().patches;
    }
    state.counters["patches"] =
        static_cast<double>(patches) / static_cast<double>(std::max<std::size_t>(frame, 1));
    state.counters["triangles"] =
        static_cast<double>(triangles) / static_cast<double>(std::max<std::size_t>(frame, 1));
}

BENCHMARK(BM_FirstPassCold)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FirstPassWarm)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SteadyFrame<FlyoverCameras>)
    ->Name("BM_SteadyFrame")
    ->Args({16, 1})
    ->Args({64, 1})
    ->Args({64, 2})
    ->Args({64, 4})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SteadyFrame<LowCameras>)
    ->Name("BM_SteadyFrameLow")
    ->Args({16, 1})
    ->Args({64, 1})
    ->Args({64, 2})
    ->Args({64, 4})
    ->Unit(benchmark::kMillisecond);

}  // namespace
