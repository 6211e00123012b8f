// velmora-world on an X display (run it under xvfb-run) over a 64 x 64 world of demo terrain,
// watched from outside through the X server as a user sees it: launch to the first frame of the
// world (with the world's summaries cached, and without), and the time from one picture to the
// next while flying with W held, at the viewer's viewport size (812 x 754, beside
// bench_viewer_window's drag step) and at 1280 x 720, with the program's peak memory.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "demo/demo_world.h"
#include "x_screen.h"

namespace {

namespace fs = std::filesystem;
using x_screen::Clock;
using x_screen::PixelAt;
using x_screen::RowAt;
using x_screen::WaitUntil;

constexpr int Side = 64;
constexpr unsigned long Blue = 0x0000FF;

// A prefix holding the 64 x 64 world, written once and removed at the end of the run, and the
// folders the program keeps its settings and the world's summaries in.
class BenchFolder {
public:
    BenchFolder() {
        std::string pattern = (fs::temp_directory_path() / "velmora-world-bench-XXXXXX").string();
        root_ = mkdtemp(pattern.data());
        const demo::DemoWorld world{"Benchquarlend", Side, Side, 0xBE7C4u};
        demo::WriteWorldPrefix(root_ / "prefix", {&world, 1});
    }
    ~BenchFolder() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    const fs::path& Root() const { return root_; }

private:
    fs::path root_;
};

const fs::path& BenchRoot() {
    static const BenchFolder folder;
    return folder.Root();
}

fs::path SummaryFolder() {
    return BenchRoot() / "cache";
}

// velmora-world on the bench world with no remembered settings; grey ground (no texture in its
// folder).
class WorldWindow : public x_screen::ChildProcess {
public:
    explicit WorldWindow(std::vector<std::string> arguments = {})
        : ChildProcess(WithProgram(std::move(arguments)), BenchRoot(),
                       {{"WINEPREFIX", (BenchRoot() / "prefix").string()},
                        {"XDG_CONFIG_HOME", ForgetSettings().string()},
                        {"XDG_CACHE_HOME", SummaryFolder().string()}}) {}

private:
    static std::vector<std::string> WithProgram(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), VELMORA_WORLD_EXECUTABLE);
        return arguments;
    }
    static fs::path ForgetSettings() {
        const fs::path config = BenchRoot() / "config";
        fs::remove_all(config);
        return config;
    }
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

std::optional<Rect> OnScreen(Display* display, Window window) {
    XWindowAttributes attributes;
    Window child = 0;
    Rect rect;
    if (XGetWindowAttributes(display, window, &attributes) == 0 ||
        attributes.map_state != IsViewable ||
        XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &rect.x, &rect.y,
                              &child) == 0) {
        return std::nullopt;
    }
    rect.width = attributes.width;
    rect.height = attributes.height;
    return rect;
}

std::vector<Window> ChildrenOf(Display* display, Window window) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<Window> found;
    if (XQueryTree(display, window, &root, &parent, &children, &count) != 0 &&
        children != nullptr) {
        found.assign(children, children + count);
        XFree(children);
    }
    return found;
}

// The program's shown top-level window (there is no window manager) and its drawing area: the
// largest window inside it, the GL canvas.
struct Windows {
    Window frame = 0;
    Window canvas = 0;
};

std::optional<Windows> FindWorldWindow(Display* display) {
    for (const Window window : ChildrenOf(display, DefaultRootWindow(display))) {
        XClassHint hint{};
        if (XGetClassHint(display, window, &hint) == 0) {
            continue;
        }
        const bool ours =
            hint.res_class != nullptr && std::strcmp(hint.res_class, "VelmoraWorld") == 0;
        XFree(hint.res_name);
        XFree(hint.res_class);
        if (!ours || !OnScreen(display, window)) {
            continue;
        }
        Windows found{window, 0};
        long largest = 0;
        for (const Window child : ChildrenOf(display, window)) {
            const std::optional<Rect> rect = OnScreen(display, child);
            if (rect && long{rect->width} * rect->height > largest) {
                largest = long{rect->width} * rect->height;
                found.canvas = child;
            }
        }
        if (found.canvas != 0) {
            return found;
        }
    }
    return std::nullopt;
}

// A frame of the world: grey ground in the middle of the canvas, and with `skyAbove` the sky's
// clear colour along its top.
bool ShowsTheWorld(Display* display, const Rect& canvas, bool skyAbove) {
    if (canvas.width < 16 || canvas.height < 16 || canvas.x < 0 || canvas.y < 0) {
        return false;
    }
    const int middleX = canvas.x + canvas.width / 2;
    const unsigned long ground = PixelAt(display, middleX, canvas.y + canvas.height / 2);
    const unsigned long red = ground >> 16;
    return (!skyAbove || PixelAt(display, middleX, canvas.y + 2) == Blue) && red != 0 &&
           red == ((ground >> 8) & 0xFF) && red == (ground & 0xFF);
}

// Waits for the program's window and a frame of the world in it; the canvas then.
std::optional<Rect> WaitForTheWorld(Display* display, bool skyAbove = true) {
    std::optional<Rect> canvas;
    const bool shown = WaitUntil(
        [&] {
            const std::optional<Windows> windows = FindWorldWindow(display);
            canvas = windows ? OnScreen(display, windows->canvas) : std::nullopt;
            return canvas && ShowsTheWorld(display, *canvas, skyAbove);
        },
        30.0);
    return shown ? canvas : std::nullopt;
}

void TimeLaunch(benchmark::State& state, bool summariesCached) {
    const x_screen::DisplayPointer display = x_screen::OpenDisplay();
    if (!display) {
        state.SkipWithError("no X display; run under xvfb-run");
        return;
    }
    BenchRoot();
    if (summariesCached) {
        const WorldWindow first;
        if (!WaitForTheWorld(display.get())) {
            state.SkipWithError("velmora-world showed no world");
            return;
        }
    }
    for (auto _ : state) {
        if (!summariesCached) {
            fs::remove_all(SummaryFolder());
        }
        const auto start = Clock::now();
        const WorldWindow window;
        if (!WaitForTheWorld(display.get())) {
            state.SkipWithError("velmora-world showed no world");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}

void BM_LaunchToFirstWorldFrame(benchmark::State& state) {
    TimeLaunch(state, true);
}
BENCHMARK(BM_LaunchToFirstWorldFrame)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(8);

void BM_LaunchToFirstWorldFrameUncached(benchmark::State& state) {
    TimeLaunch(state, false);
}
BENCHMARK(BM_LaunchToFirstWorldFrameUncached)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// Waits until the row through the canvas's middle has not changed for `quiet` seconds.
bool WaitForStillness(Display* display, const Rect& canvas, double quiet, double seconds = 30.0) {
    std::vector<unsigned long> last;
    auto since = Clock::now();
    return WaitUntil(
        [&] {
            std::vector<unsigned long> row =
                RowAt(display, canvas.x, canvas.y + canvas.height / 2, canvas.width);
            if (row != last) {
                last = std::move(row);
                since = Clock::now();
            }
            return Clock::now() - since > std::chrono::duration<double>(quiet);
        },
        seconds);
}

// Arguments: the canvas's width and height.
void BM_FlyingFrame(benchmark::State& state) {
    const x_screen::DisplayPointer display = x_screen::OpenDisplay();
    if (!display) {
        state.SkipWithError("no X display; run under xvfb-run");
        return;
    }
    Display* x = display.get();
    // Over the world's middle, 1,500 units up and looking ahead and down, as bench_world's
    // steady frames; flying ahead keeps over the world for the whole run.
    const WorldWindow window({"--camera", "64512,40320,1500,0,2.2"});
    std::optional<Rect> canvas = WaitForTheWorld(x, false);
    const std::optional<Windows> windows = FindWorldWindow(x);
    const std::optional<Rect> frame = windows ? OnScreen(x, windows->frame) : std::nullopt;
    if (!canvas || !frame) {
        state.SkipWithError("velmora-world showed no world");
        return;
    }
    // The frame grows by what the canvas lacks.
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    XResizeWindow(x, windows->frame, static_cast<unsigned>(frame->width + width - canvas->width),
                  static_cast<unsigned>(frame->height + height - canvas->height));
    XSync(x, False);
    if (!WaitUntil([&] {
            canvas = OnScreen(x, windows->canvas);
            return canvas && canvas->width == width && canvas->height == height;
        })) {
        state.SkipWithError("the canvas did not take the size asked for");
        return;
    }
    // Keys go to the window under the pointer when no window manager gives the focus.
    XTestFakeMotionEvent(x, -1, canvas->x + width / 2, canvas->y + height / 4, 0);
    XSync(x, False);
    if (!WaitForStillness(x, *canvas, 0.5)) {
        state.SkipWithError("the picture never came to rest");
        return;
    }
    const KeyCode forward = XKeysymToKeycode(x, XK_w);
    XTestFakeKeyEvent(x, forward, True, 0);
    XSync(x, False);
    // Waits for the next new picture; false when none comes within two seconds.
    std::vector<unsigned long> before = RowAt(x, canvas->x, canvas->y + height / 2, width);
    const auto nextPicture = [&] {
        return WaitUntil(
            [&] {
                std::vector<unsigned long> now = RowAt(x, canvas->x, canvas->y + height / 2, width);
                const bool changed = now != before;
                before = std::move(now);
                return changed;
            },
            2.0);
    };
    bool flying = nextPicture();
    auto last = Clock::now();
    for (auto _ : state) {
        flying = flying && nextPicture();
        if (!flying) {
            state.SkipWithError("flying changed nothing on screen");
            break;
        }
        const auto now = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(now - last).count());
        last = now;
    }
    XTestFakeKeyEvent(x, forward, False, 0);
    XSync(x, False);
    state.counters["peak_MiB"] = window.PeakMiB();
}
BENCHMARK(BM_FlyingFrame)
    ->Args({812, 754})
    ->Args({1280, 720})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(60);

}  // namespace
