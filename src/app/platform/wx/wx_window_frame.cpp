#include "app/platform/wx/wx_window_frame.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <chrono>
#include <memory>

namespace wx {

namespace {

// A window manager that answers does so within a few milliseconds.
constexpr std::chrono::milliseconds AnswerTimeout{200};

using DisplayConnection = std::unique_ptr<Display, decltype(&XCloseDisplay)>;

bool WindowManagerOffers(Display* display, Atom hint) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const Atom supported = XInternAtom(display, "_NET_SUPPORTED", False);
    if (XGetWindowProperty(display, DefaultRootWindow(display), supported, 0, 4096, False, XA_ATOM,
                           &type, &format, &count, &remaining, &data) != Success ||
        data == nullptr) {
        return false;
    }
    bool offered = false;
    if (type == XA_ATOM && format == 32) {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long index = 0; index < count && !offered; ++index) {
            offered = atoms[index] == hint;
        }
    }
    XFree(data);
    return offered;
}

std::optional<WindowFrame> ReadFrameExtents(Display* display, Window window, Atom extents) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, extents, 0, 4, False, XA_CARDINAL, &type, &format,
                           &count, &remaining, &data) != Success ||
        data == nullptr) {
        return std::nullopt;
    }
    std::optional<WindowFrame> frame;
    if (type == XA_CARDINAL && format == 32 && count == 4) {
        const auto* values = reinterpret_cast<const long*>(data);
        frame = WindowFrame{static_cast<int>(values[0]), static_cast<int>(values[1]),
                            static_cast<int>(values[2]), static_cast<int>(values[3])};
    }
    XFree(data);
    return frame;
}

// Describes the window as the dialogs are described: a dialog with a caption, a window menu and
// a close button, movable and closable but of fixed size.
void DescribeAsDialog(Display* display, Window window) {
    Atom dialogType = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM,
                    32, PropModeReplace, reinterpret_cast<unsigned char*>(&dialogType), 1);
    // Motif hints: functions move and close; decorations border, title and menu.
    long motifHints[5] = {0x3, 0x24, 0x1a, 0, 0};
    const Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(display, window, motif, motif, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(motifHints), 5);
    XSizeHints size{};
    size.flags = PMinSize | PMaxSize;
    size.min_width = size.max_width = 100;
    size.min_height = size.max_height = 100;
    XSetWMNormalHints(display, window, &size);
}

std::optional<WindowFrame> AskWindowManager() {
    const DisplayConnection display(XOpenDisplay(nullptr), XCloseDisplay);
    if (!display) {
        return std::nullopt;
    }
    const Atom request = XInternAtom(display.get(), "_NET_REQUEST_FRAME_EXTENTS", False);
    const Atom extents = XInternAtom(display.get(), "_NET_FRAME_EXTENTS", False);
    if (!WindowManagerOffers(display.get(), request)) {
        return std::nullopt;
    }
    // A window that is never shown stands in for the dialog.
    XSetWindowAttributes attributes{};
    attributes.event_mask = PropertyChangeMask;
    const Window window =
        XCreateWindow(display.get(), DefaultRootWindow(display.get()), 0, 0, 100, 100, 0,
                      CopyFromParent, InputOutput, CopyFromParent, CWEventMask, &attributes);
    DescribeAsDialog(display.get(), window);

    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = window;
    message.xclient.message_type = request;
    message.xclient.format = 32;
    XSendEvent(display.get(), DefaultRootWindow(display.get()), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &message);
    XFlush(display.get());

    std::optional<WindowFrame> frame;
    const auto end = std::chrono::steady_clock::now() + AnswerTimeout;
    while (!frame) {
        while (!frame && XPending(display.get()) > 0) {
            XEvent event;
            XNextEvent(display.get(), &event);
            if (event.type == PropertyNotify && event.xproperty.window == window &&
                event.xproperty.atom == extents) {
                frame = ReadFrameExtents(display.get(), window, extents);
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (frame || left.count() <= 0) {
            break;
        }
        pollfd connection{ConnectionNumber(display.get()), POLLIN, 0};
        poll(&connection, 1, static_cast<int>(left.count()));
    }
    XDestroyWindow(display.get(), window);
    return frame;
}

}  // namespace

std::optional<WindowFrame> DialogWindowFrame() {
    static const std::optional<WindowFrame> frame = AskWindowManager();
    return frame;
}

}  // namespace wx
