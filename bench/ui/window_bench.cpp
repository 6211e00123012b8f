// The real VelmoraExplorer on an X display (run it under xvfb-run): launch to the first frame on
// screen, and one left-drag step (the handler and its frame) until the new picture is on screen.
// Both are watched from outside through the X server, as a user sees them. With
// VELMORA_DESKTOP_ENTRY naming an installed desktop entry, the launch is also timed the way that
// entry starts the viewer: its Exec line in its Path folder.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <benchmark/benchmark.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

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

#include "demo_world.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

// The demo prefix, written once.
const fs::path& DemoPrefix() {
    static const fs::path prefix = [] {
        std::string pattern = (fs::temp_directory_path() / "velmora-window-bench-XXXXXX").string();
        const fs::path root = mkdtemp(pattern.data());
        WriteDemoPrefix(root / "demo");
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
class Viewer {
public:
    explicit Viewer(const Launch& launch = BuiltViewer()) {
        std::vector<char*> argv;
        for (const std::string& argument : launch.arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            setenv("WINEPREFIX", DemoPrefix().c_str(), 1);
            if (chdir(launch.directory.c_str()) != 0) {
                _exit(127);
            }
            execvp(argv[0], argv.data());
            _exit(127);
        }
    }
    ~Viewer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
    }
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;

private:
    pid_t pid_ = -1;
};

unsigned long PixelAt(Display* display, int x, int y) {
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) {
        return 0;
    }
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return pixel & 0xFFFFFF;
}

// A row of pixels, to tell one picture from the next.
std::vector<unsigned long> RowAt(Display* display, int x, int y, int width) {
    std::vector<unsigned long> row;
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), x, y, width, 1, AllPlanes, ZPixmap);
    if (image == nullptr) {
        return row;
    }
    for (int i = 0; i < width; ++i) {
        row.push_back(XGetPixel(image, i, 0) & 0xFFFFFF);
    }
    XDestroyImage(image);
    return row;
}

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
bool WaitForPixel(Display* display, Probe probe, Done done, double seconds = 10.0) {
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < deadline) {
        if (done(PixelAt(display, probe.x, probe.y))) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return false;
}

std::unique_ptr<Display, DisplayCloser> OpenDisplay() {
    return std::unique_ptr<Display, DisplayCloser>(XOpenDisplay(nullptr));
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
}
BENCHMARK(BM_DragStep)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

}  // namespace
