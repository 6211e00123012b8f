// The window system of the process: headless until a program installs another, so that code
// without a display (tests, the command line) needs no set-up.

#include "app/platform/headless/headless_window_system.h"
#include "app/platform/win32/window_system.h"

namespace {

std::unique_ptr<win32::WindowSystem>& Current() {
    static std::unique_ptr<win32::WindowSystem> current;
    return current;
}

}  // namespace

win32::WindowSystem& win32::CurrentWindowSystem() {
    auto& current = Current();
    if (!current) {
        current = std::make_unique<headless::HeadlessWindowSystem>();
    }
    return *current;
}

win32::WindowSystem& win32::InstallWindowSystem(std::unique_ptr<win32::WindowSystem> backend) {
    auto& current = Current();
    current = std::move(backend);
    return *current;
}
