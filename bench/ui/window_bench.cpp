// The real VelmoraExplorer on an X display (run it under xvfb-run): launch to the first frame on
// screen, and one left-drag step (the handler and its frame) until the new picture is on screen.
// Both are watched from outside through the X server, as a user sees them. With
// VELMORA_DESKTOP_ENTRY naming an installed desktop entry, the launch is also timed the way that
// entry starts the viewer: its Exec line in its Path folder.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "demo/demo_world.h"
#include "x_screen.h"

namespace {

namespace fs = std::filesystem;
using x_screen::Clock;
using x_screen::OpenDisplay;
using x_screen::PixelAt;
using x_screen::RowAt;
using x_screen::WaitUntil;

// The demo prefix, written once.
const fs::path& DemoPrefix() {
    static const fs::path prefix = [] {
        std::string pattern = (fs::temp_directory_path() / "velmora-window-bench-XXXXXX").string();
        const fs::path root = mkdtemp(pattern.data());
        demo::WriteDemoPrefix(root / "demo");
        return root / "demo";
    }();
    return prefix;
}

// A command line and the folder to run it in.
struct Launch {
    std::vector<std::string> arguments;
    fs::path directory;
};

// The built viewer, in the demo prefix beside its ground texture.
Launch BuiltViewer() {
    return {{VELMORA_VIEWER_EXECUTABLE}, DemoPrefix()};
}

// The Exec and Path of a desktop entry (arguments split at spaces: the entry quotes nothing);
// nullopt when either is missing.
std::optional<Launch> DesktopEntryLaunch(const fs::path& entry) {
    std::ifstream file(entry);
    Launch launch;
    for (std::string line; std::getline(file, line);) {
        if (line.starts_with("Exec=")) {
            std::istringstream words(line.substr(5));
            for (std::string word; words >> word;) {
                launch.arguments.push_back(word);
            }
        } else if (line.starts_with("Path=")) {
            launch.directory = line.substr(5);
        }
    }
    if (launch.arguments.empty() || launch.directory.empty()) {
        return std::nullopt;
    }
    return launch;
}

// The viewer as a child process on the demo prefix, ended when this object goes.
class Viewer : public x_screen::ChildProcess {
public:
    explicit Viewer(const Launch& launch = BuiltViewer())
        : ChildProcess(launch.arguments, launch.directory,
                       {{"WINEPREFIX", DemoPrefix().string()}}) {}
};

// The middle of the screen lies inside the viewport of the centred dialog.
struct Probe {
    int x;
    int y;
};

Probe ScreenMiddle(Display* display) {
    const int screen = DefaultScreen(display);
    return {DisplayWidth(display, screen) / 2, DisplayHeight(display, screen) / 2};
}

constexpr unsigned long Blue = 0x0000FF;

// Waits until the pixel at probe satisfies done; false after a timeout.
template <class Done>
bool WaitForPixel(Display* display, Probe probe, Done done) {
    return WaitUntil([&] { return done(PixelAt(display, probe.x, probe.y)); });
}

void TimeLaunchToFirstFrame(benchmark::State& state, const Launch& launch) {
    const auto display = OpenDisplay();
    if (!display) {
        state.SkipWithError("no X display; run under xvfb-run");
        return;
    }
    DemoPrefix();
    const Probe middle = ScreenMiddle(display.get());
    for (auto _ : state) {
        const auto start = Clock::now();
        Viewer viewer(launch);
        if (!WaitForPixel(display.get(), middle, [](unsigned long p) { return p == Blue; })) {
            state.SkipWithError("the viewer showed no frame");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}

void BM_LaunchToFirstFrame(benchmark::State& state) {
    TimeLaunchToFirstFrame(state, BuiltViewer());
}
BENCHMARK(BM_LaunchToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);

void BM_LaunchFromDesktopEntry(benchmark::State& state) {
    const char* entry = std::getenv("VELMORA_DESKTOP_ENTRY");
    const std::optional<Launch> launch =
        entry != nullptr ? DesktopEntryLaunch(entry) : std::nullopt;
    if (!launch) {
        state.SkipWithError("set VELMORA_DESKTOP_ENTRY to an installed desktop entry");
        return;
    }
    TimeLaunchToFirstFrame(state, *launch);
}
BENCHMARK(BM_LaunchFromDesktopEntry)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);

void BM_DragStep(benchmark::State& state) {
    const auto display = OpenDisplay();
    if (!display) {
        state.SkipWithError("no X display; run under xvfb-run");
        return;
    }
    Display* x = display.get();
    const Probe middle = ScreenMiddle(x);
    Viewer viewer;
    if (!WaitForPixel(x, middle, [](unsigned long p) { return p == Blue; })) {
        state.SkipWithError("the viewer showed no frame");
        return;
    }
    // The first sector of the list: the list's first row lies left of the viewport, near its top.
    const int listX = middle.x - 410;
    const int listY = middle.y - 300;
    XTestFakeMotionEvent(x, -1, listX, listY, 0);
    XTestFakeButtonEvent(x, 1, True, 0);
    XTestFakeButtonEvent(x, 1, False, 0);
    XSync(x, False);
    if (!WaitForPixel(x, middle, [](unsigned long p) { return p != Blue; })) {
        state.SkipWithError("no terrain in the middle of the viewport after choosing a sector");
        return;
    }
    // Drag with the left button over the viewport; every step turns the camera and redraws.
    // The first move with the button held only anchors the drag.
    // A motion sent right after the press can still arrive without the button held, so each
    // waits for the one before.
    XTestFakeMotionEvent(x, -1, middle.x, middle.y + 100, 0);
    XSync(x, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    XTestFakeButtonEvent(x, 1, True, 0);
    XSync(x, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    XTestFakeMotionEvent(x, -1, middle.x + 1, middle.y + 100, 0);
    XSync(x, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    int step = 0;
    for (auto _ : state) {
        const std::vector<unsigned long> before = RowAt(x, middle.x - 200, middle.y, 400);
        step = (step + 1) % 2;
        const auto start = Clock::now();
        XTestFakeMotionEvent(x, -1, middle.x + 1 + step * 20, middle.y + 100, 0);
        XSync(x, False);
        bool changed = false;
        while (!changed && Clock::now() - start < std::chrono::seconds(2)) {
            // Polling leaves the cores to the viewer and the X server between looks.
            std::this_thread::sleep_for(std::chrono::microseconds(250));
            changed = RowAt(x, middle.x - 200, middle.y, 400) != before;
        }
        if (!changed) {
            state.SkipWithError("the drag step changed nothing on screen");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    XTestFakeButtonEvent(x, 1, False, 0);
    XSync(x, False);
    state.counters["peak_MiB"] = viewer.PeakMiB();
}
BENCHMARK(BM_DragStep)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

}  // namespace
