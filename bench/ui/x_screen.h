#pragma once
// What the window benchmarks share: a program started as a child process, and the screen as the
// X server shows it to a user.

#include <X11/Xlib.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace x_screen {

using Clock = std::chrono::steady_clock;

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

using DisplayPointer = std::unique_ptr<Display, DisplayCloser>;

// A request that fails (a picture of a window that went, say) returns nothing rather than
// ending the benchmark.
inline DisplayPointer OpenDisplay() {
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    return DisplayPointer(XOpenDisplay(nullptr));
}

// A program run in `directory` with extra environment variables, ended when this object goes.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& arguments, const std::filesystem::path& directory,
                 const std::vector<std::pair<std::string, std::string>>& environment) {
        std::vector<char*> argv;
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            for (const auto& [name, value] : environment) {
                setenv(name.c_str(), value.c_str(), 1);
            }
            if (chdir(directory.c_str()) != 0) {
                _exit(127);
            }
            execvp(argv[0], argv.data());
            _exit(127);
        }
    }
    ~ChildProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The most memory the process has held so far (VmHWM), in MiB; 0 when it cannot be read.
    double PeakMiB() const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with("VmHWM:")) {
                return std::stod(line.substr(6)) / 1024.0;
            }
        }
        return 0.0;
    }

private:
    pid_t pid_ = -1;
};

// The colours of `width` pixels of screen row y from x; empty when the server gives none.
inline std::vector<unsigned long> RowAt(Display* display, int x, int y, int width) {
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

inline unsigned long PixelAt(Display* display, int x, int y) {
    const std::vector<unsigned long> row = RowAt(display, x, y, 1);
    return row.empty() ? 0 : row[0];
}

// Calls done() until it is true, looking every 200 us; false after `seconds`.
template <class Done>
bool WaitUntil(Done done, double seconds = 10.0) {
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < deadline) {
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return false;
}

}  // namespace x_screen
