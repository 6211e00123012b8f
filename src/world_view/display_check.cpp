#include "world_view/display_check.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <memory>

namespace world_view {

std::string DisplayProblem() {
    const char* name = std::getenv("DISPLAY");
    const std::string shown = name != nullptr ? name : "";
    const std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr), XCloseDisplay);
    if (!display) {
        return "cannot open a display (is DISPLAY set to a running X server?)";
    }
    int opcode = 0;
    int event = 0;
    int error = 0;
    if (!XQueryExtension(display.get(), "GLX", &opcode, &event, &error)) {
        return "the display " + shown + " offers no OpenGL (its X server has no GLX extension)";
    }
    return {};
}

}  // namespace world_view
