// The viewer's process entry: the resources, the gl Direct3D backend and the wx window system are
// put in place, then the application object runs.

#include <cstdio>
#include <memory>

#include <afxwin.h>
#include <window_backends.h>
#include "render/d3d9/gl/gl_backend.h"
#include "ui/resource_script.h"

int main(int argc, char** argv) {
    RegisterViewerResources();
    UseDirect3DBackend(velmora::d3d9::gl::GlBackend());

    auto windows = wx::WxWindowSystem::Start(argc, argv, "VelmoraExplorer");
    if (!windows) {
        std::fprintf(stderr,
                     "VelmoraExplorer: cannot open a display (is DISPLAY set to a running X "
                     "server?)\n");
        return 1;
    }
    InstallWindowSystem(std::move(windows));
    const int status = AfxWinMain(argc, argv);
    // The windows go before the program's globals do.
    InstallWindowSystem(std::make_unique<headless::HeadlessWindowSystem>());
    UseDirect3DBackend({});
    return status;
}
