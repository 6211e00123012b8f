#pragma once
// The frame a window manager puts around a dialog (caption and borders), asked of the window
// manager itself before any dialog is shown.

#include <optional>

namespace wx {

struct WindowFrame {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

// The frame, in the X server's pixels, that the running window manager gives a fixed-size dialog
// window with a caption and a close button; none without a window manager that tells
// (_NET_REQUEST_FRAME_EXTENTS), or when it does not answer within a moment. Asked once a process.
std::optional<WindowFrame> DialogWindowFrame();

}  // namespace wx
