#pragma once
// Whether the X display can give the window what it needs, asked before wx starts, so that a
// missing display or a display without GLX ends the program with one clear line. The connection
// stays open while the object lives: an X server that resets when its last client leaves (as
// Xvfb does) would otherwise be resetting just as wx connects.

#include <memory>
#include <string>

#include <X11/Xlib.h>

namespace world_view {

class DisplayCheck {
public:
    DisplayCheck();

    // Empty when DISPLAY names a reachable X server that offers GLX; else why not.
    const std::string& Problem() const { return problem_; }

private:
    std::unique_ptr<Display, int (*)(Display*)> display_;
    std::string problem_;
};

}  // namespace world_view
