// What the viewer's executable brings to the process entry: its resources and the one application
// object. theApp has no init_priority, so it comes into being after the install root and the
// sector table (app/install_root.h) and goes before them.

#include "app/viewer/viewer_app.h"
#include "ui/resource_script.h"

void win32::RegisterProgramResources() {
    RegisterViewerResources();
}

ViewerApp theApp;
