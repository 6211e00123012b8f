// The process entry of the viewer: the application object runs on real windows.

#include "app/platform/headless/headless_window_system.h"
#include "app/platform/win_app.h"
#include "app/platform/wx/wx_window_system.h"

#include <memory>

int main(int argc, char** argv) {
    auto windows = WxWindowSystem::Start(argc, argv);
    if (!windows) {
        return 1;
    }
    InstallWindowSystem(std::move(windows));
    const int status = AfxWinMain(argc, argv);
    // wx shuts down here, before the program's globals go.
    InstallWindowSystem(std::make_unique<HeadlessWindowSystem>());
    return status;
}
