// The one application object. The executable compiles this file right after the program-wide
// install root and sector table, so it comes into being after them and goes before them.

#include "app/viewer/viewer_app.h"

ViewerApp theApp;
