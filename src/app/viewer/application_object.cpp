// The one application object. It has no init_priority, so it comes into being after the install
// root and the sector table (app/install_root.h) and goes before them.

#include "app/viewer/viewer_app.h"

ViewerApp theApp;
