#include "world_view/display_check.h"

#include <cstdlib>

namespace world_view {

DisplayCheck::DisplayCheck() : display_(XOpenDisplay(nullptr), XCloseDisplay) {
    if (!display_) {
        problem_ = "cannot open a display (is DISPLAY set to a running X server?)";
        return;
    }
    int opcode = 0;
    int event = 0;
    int error = 0;
    if (!XQueryExtension(display_.get(), "GLX", &opcode, &event, &error)) {
        const char* name = std::getenv("DISPLAY");
        problem_ = std::string("the display ") + (name != nullptr ? name : "") +
                   " offers no OpenGL (its X server has no GLX extension)";
    }
}

}  // namespace world_view
