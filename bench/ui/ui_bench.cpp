// The cost of the viewer's handlers themselves: one drag step and one wheel step through the
// headless message dispatch, drawing into the recording Direct3D backend (the recorder's own
// logging included), and the readout formatting.

#include <benchmark/benchmark.h>

#include "app/install_root.h"
#include "app/platform/headless/headless_window_system.h"
#include "camera/camera_state.h"
#include "render/d3d9/direct3d_backend.h"
#include "render/d3d9/recording/recorder.h"
#include "ui/camera_readouts.h"
#include "ui/resource_ids.h"
#include "ui/resource_script.h"
#include "ui/viewer_dialog.h"

namespace {

using velmora::d3d9::recording::Recorder;

// Runs `body` inside a running viewer dialog (renderer made, no sector loaded).
template <class Body>
void InsideViewer(benchmark::State& state, Body body) {
    RegisterViewerResources();
    Recorder recorder;
    ScopedDirect3DBackend backend(recorder.Factory());
    headless::HeadlessWindowSystem& ui = headless::UseHeadlessWindowSystem();
    InstallRoot = "C:\\nowhere";
    ViewerDialog dialog;
    ui.QueueStep([&] {
        body(ui, recorder);
        ui.PressKey(VK_ESCAPE);
    });
    dialog.DoModal();
    CameraPosition = DefaultCameraPosition;
    CameraYaw = DefaultCameraYaw;
    CameraPitch = DefaultCameraPitch;
    state.SetItemsProcessed(state.iterations());
}

void BM_LeftDragStep(benchmark::State& state) {
    InsideViewer(state, [&](headless::HeadlessWindowSystem& ui, Recorder& recorder) {
        ui.MoveMouse(400, 400, MK_LBUTTON);
        int x = 400;
        for (auto _ : state) {
            x = x == 400 ? 401 : 400;
            ui.MoveMouse(x, 400, MK_LBUTTON);
            if (recorder.Calls().size() > 100000) {
                state.PauseTiming();
                recorder.ClearCalls();
                state.ResumeTiming();
            }
        }
    });
}
BENCHMARK(BM_LeftDragStep);

void BM_WheelStep(benchmark::State& state) {
    InsideViewer(state, [&](headless::HeadlessWindowSystem& ui, Recorder& recorder) {
        int delta = 120;
        for (auto _ : state) {
            delta = -delta;
            ui.TurnWheel(delta);
            if (recorder.Calls().size() > 100000) {
                state.PauseTiming();
                recorder.ClearCalls();
                state.ResumeTiming();
            }
        }
    });
}
BENCHMARK(BM_WheelStep);

void BM_FormatReadouts(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatCameraAngles());
        benchmark::DoNotOptimize(FormatCameraLocation());
    }
}
BENCHMARK(BM_FormatReadouts);

}  // namespace
