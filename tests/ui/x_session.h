#pragma once
// Driving a real program under X for the window tests: starting and waiting for the process,
// xdotool commands, and screenshots of the whole screen read back as pixels.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stb/stb_image.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/wait_until.h"

namespace ui_test {

// Runs a shell command and returns what it wrote to stdout.
inline std::string Shell(const std::string& command) {
    std::string output;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) {
        throw std::runtime_error("cannot run " + command);
    }
    char buffer[512];
    std::size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) {
        output.append(buffer, read);
    }
    return output;
}

// A child process with its own environment changes, current directory and output file; killed
// if it is still running when the object goes.
class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::filesystem::path& directory,
                 const std::vector<std::pair<std::string, std::string>>& setEnvironment,
                 const std::vector<std::string>& unsetEnvironment,
                 const std::filesystem::path& outputFile) {
        pid_ = fork();
        if (pid_ < 0) {
            throw std::runtime_error("fork failed");
        }
        if (pid_ == 0) {
            // Only async-signal-safe work would be strictly right here; the test process is
            // single-threaded at this point.
            for (const auto& [name, value] : setEnvironment) {
                setenv(name.c_str(), value.c_str(), 1);
            }
            for (const std::string& name : unsetEnvironment) {
                unsetenv(name.c_str());
            }
            const int output = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (output >= 0) {
                dup2(output, STDOUT_FILENO);
                dup2(output, STDERR_FILENO);
                close(output);
            }
            if (chdir(directory.c_str()) != 0) {
                _exit(126);
            }
            execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        if (!status_) {
            kill(pid_, SIGKILL);
            int ignored = 0;
            waitpid(pid_, &ignored, 0);
        }
    }

    // The exit status once the process has ended within `seconds`; -1 for a signal, nullopt
    // while it runs.
    std::optional<int> WaitForExit(double seconds) {
        WaitUntil(
            [&] {
                int status = 0;
                if (!status_ && waitpid(pid_, &status, WNOHANG) == pid_) {
                    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                }
                return status_.has_value();
            },
            seconds);
        return status_;
    }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// openbox, a window manager as small as they come (a Debian package that setup installs), on the
// current display, its output in `log`; null when it has not announced itself in time.
inline std::unique_ptr<ChildProcess> StartOpenbox(const std::filesystem::path& log) {
    std::string path = Shell("command -v openbox");
    path.erase(path.find_last_not_of('\n') + 1);
    auto openbox = std::make_unique<ChildProcess>(
        path, log.parent_path(), std::vector<std::pair<std::string, std::string>>{},
        std::vector<std::string>{}, log);
    if (!WaitUntil([] {
            return Shell("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") !=
                   std::string::npos;
        })) {
        return nullptr;
    }
    return openbox;
}

// A text file's lines.
inline std::vector<std::string> LinesOf(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The screen as RGB pixels.
class Screenshot {
public:
    static Screenshot Take(const std::filesystem::path& file) {
        Shell("import -window root '" + file.string() + "' 2>/dev/null");
        Screenshot shot;
        std::ifstream in(file, std::ios::binary);
        const std::vector<char> png((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
        if (png.empty()) {
            return shot;
        }
        int channels = 0;
        // The project's stb reads from memory only.
        stbi_uc* pixels = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(png.data()),
                                                static_cast<int>(png.size()), &shot.width_,
                                                &shot.height_, &channels, 3);
        if (pixels != nullptr) {
            shot.rgb_.assign(pixels, pixels + static_cast<std::size_t>(shot.width_) *
                                                  static_cast<std::size_t>(shot.height_) * 3);
            stbi_image_free(pixels);
        }
        return shot;
    }

    bool IsValid() const { return !rgb_.empty(); }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // 0xRRGGBB; 0xFF000000 outside the screen.
    std::uint32_t At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) {
            return 0xFF000000u;
        }
        const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                                static_cast<std::size_t>(x)) *
                               3;
        return (std::uint32_t{rgb_[at]} << 16) | (std::uint32_t{rgb_[at + 1]} << 8) | rgb_[at + 2];
    }

    // The pixels of a rectangle, row by row.
    std::vector<std::uint32_t> Region(int left, int top, int width, int height) const {
        std::vector<std::uint32_t> region;
        for (int y = top; y < top + height; ++y) {
            for (int x = left; x < left + width; ++x) {
                region.push_back(At(x, y));
            }
        }
        return region;
    }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> rgb_;
};

}  // namespace ui_test
