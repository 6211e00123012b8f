#include "private_x_server.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace ui_test {

PrivateXServer::PrivateXServer(int width, int height) {
    int fds[2];
    if (pipe(fds) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const std::string displayFd = std::to_string(fds[1]);
    pid_ = fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0) {
        close(fds[0]);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        }
        // -displayfd: the server picks a free display and writes its number once it is ready.
        execlp("Xvfb", "Xvfb", "-displayfd", displayFd.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n') {
        number.push_back(c);
    }
    close(fds[0]);
    if (number.empty()) {
        Stop();
        throw std::runtime_error("Xvfb did not start");
    }
    if (const char* previous = std::getenv("DISPLAY")) {
        previousDisplay_ = previous;
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    displaySet_ = true;
    // This connection stays open, so the server keeps the root window's properties (it resets
    // when its last client leaves).
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) {
        Stop();
        throw std::runtime_error("cannot connect to the private Xvfb");
    }
}

PrivateXServer::~PrivateXServer() {
    Stop();
}

void PrivateXServer::SetWorkArea(long x, long y, long width, long height) {
    auto* display = static_cast<Display*>(display_);
    Window root = DefaultRootWindow(display);
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    const Atom supported = XInternAtom(display, "_NET_SUPPORTED", False);
    Atom workArea = XInternAtom(display, "_NET_WORKAREA", False);
    // The root window stands in for the window manager's check window: it names itself.
    XChangeProperty(display, root, check, XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&root), 1);
    XChangeProperty(display, root, supported, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&workArea), 1);
    long area[4] = {x, y, width, height};
    XChangeProperty(display, root, workArea, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(area), 4);
    XSync(display, False);
}

void PrivateXServer::Stop() {
    if (display_ != nullptr) {
        XCloseDisplay(static_cast<Display*>(display_));
        display_ = nullptr;
    }
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int ignored = 0;
        waitpid(pid_, &ignored, 0);
        pid_ = -1;
    }
    if (displaySet_) {
        if (previousDisplay_) {
            setenv("DISPLAY", previousDisplay_->c_str(), 1);
        } else {
            unsetenv("DISPLAY");
        }
        displaySet_ = false;
    }
}

}  // namespace ui_test
