// The process entry of a windowed program, as a Windows program gets it from its C runtime: the
// program's resources, the gl Direct3D backend and the wx window system are put in place, then the
// application object runs. The program supplies its application object and
// RegisterProgramResources.

#include <cstdio>
#include <memory>
#include <string>

#include <afxwin.h>
#include "app/platform/headless/headless_window_system.h"
#include "app/platform/win32/window_system.h"
#include "app/platform/wx/wx_window_system.h"
#include "render/d3d9/gl/gl_backend.h"

int main(int argc, char** argv) {
    win32::RegisterProgramResources();
    UseDirect3DBackend(velmora::d3d9::gl::GlBackend());

    // The window class is the application's name: that of its executable.
    const std::string name = mfc::ApplicationNameOfProcess();
    auto windows = wx::WxWindowSystem::Start(argc, argv, name);
    if (!windows) {
        std::fprintf(stderr, "%s: cannot open a display (is DISPLAY set to a running X server?)\n",
                     name.c_str());
        return 1;
    }
    win32::InstallWindowSystem(std::move(windows));
    const int status = AfxWinMain(argc, argv);
    // The windows go before the program's globals do.
    win32::InstallWindowSystem(std::make_unique<headless::HeadlessWindowSystem>());
    UseDirect3DBackend({});
    return status;
}
