// The viewer's two drawing moments through the system's own code on the headless gl backend at
// 800 x 800 (VELMORA_BENCH_SIZE=WxH for another size, to set beside the world renderer's frame):
// a sector switch (LoadHeightmap + RenderFrame) and a steady frame (RenderFrame).
// Each is measured twice: as the handler returns (the GL work queued), and until the frame's
// pixels are done (read back). Run under `perf record` to split our own code from the driver.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/platform/mfc/cstring.h"
#include "app/platform/wine/wine_prefix.h"
#include "demo/demo_world.h"
#include "render/d3d9/direct3d_backend.h"
#include "render/d3d9/gl/gl_backend.h"
#include "render/d3d9/gl/offscreen_target.h"
#include "render/renderer.h"

namespace {

namespace fs = std::filesystem;
using velmora::d3d9::gl::OffscreenTarget;

// The demo prefix in a temporary directory, the gl backend and a renderer on an offscreen target,
// made once for all benchmarks.
class Scene {
public:
    Scene() {
        std::string pattern = (fs::temp_directory_path() / "velmora-render-bench-XXXXXX").string();
        root_ = mkdtemp(pattern.data());
        demo::WriteDemoPrefix(root_);
        setenv("WINEPREFIX", root_.c_str(), 1);
        wine::ResetPrefixSelection();
        fs::current_path(root_);  // terrain.image, as the viewer finds it
        UseDirect3DBackend(velmora::d3d9::gl::GlBackend());
        UINT width = 800;
        UINT height = 800;
        if (const char* size = std::getenv("VELMORA_BENCH_SIZE")) {
            std::sscanf(size, "%ux%u", &width, &height);
        }
        target_ = OffscreenTarget::Create(width, height);
        ready_ = target_ && CreateRenderer(target_->Window());
    }
    ~Scene() {
        DestroyRenderer();
        target_.reset();
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    bool ready() const { return ready_; }
    static CString Sector(int x, int y) {
        const std::string name = std::to_string(x) + "_" + std::to_string(y);
        return CString(("C:\\Games\\Quarlend\\world_cache\\Eastquarlend\\terrain\\" + name +
                        "\\heightmap_" + name + ".zdt")
                           .c_str());
    }

private:
    fs::path root_;
    std::shared_ptr<OffscreenTarget> target_;
    bool ready_ = false;
};

Scene& TheScene() {
    static Scene scene;
    return scene;
}

void WaitForFrame() {
    benchmark::DoNotOptimize(velmora::d3d9::gl::ReadBackBuffer(RendererDevice->device));
}

void SectorSwitch(benchmark::State& state, bool wait) {
    if (!TheScene().ready()) {
        state.SkipWithError("no offscreen gl renderer");
        return;
    }
    const CString sectors[] = {Scene::Sector(1, 1), Scene::Sector(2, 2)};
    int next = 0;
    for (auto _ : state) {
        RendererTerrain->LoadHeightmap(sectors[next]);
        RenderFrame();
        if (wait) {
            WaitForFrame();
        }
        next ^= 1;
    }
}

void SteadyFrame(benchmark::State& state, bool wait) {
    if (!TheScene().ready()) {
        state.SkipWithError("no offscreen gl renderer");
        return;
    }
    RendererTerrain->LoadHeightmap(Scene::Sector(1, 2));
    for (auto _ : state) {
        RenderFrame();
        if (wait) {
            WaitForFrame();
        }
    }
}

void BM_SectorSwitch(benchmark::State& state) {
    SectorSwitch(state, false);
}
void BM_SectorSwitchToPixels(benchmark::State& state) {
    SectorSwitch(state, true);
}
void BM_SteadyFrame(benchmark::State& state) {
    SteadyFrame(state, false);
}
void BM_SteadyFrameToPixels(benchmark::State& state) {
    SteadyFrame(state, true);
}

BENCHMARK(BM_SectorSwitch)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SectorSwitchToPixels)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SteadyFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SteadyFrameToPixels)->Unit(benchmark::kMicrosecond);

}  // namespace
