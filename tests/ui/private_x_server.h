#pragma once
// An Xvfb server of its own for a window test that needs a screen other than the shared one.

#include <sys/types.h>

#include <optional>
#include <string>

namespace ui_test {

// One screen of the given size. While the server lives, DISPLAY names it, for this process and
// every program it starts; the previous DISPLAY comes back when it goes.
class PrivateXServer {
public:
    PrivateXServer(int width, int height);
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;
    ~PrivateXServer();

    // Announces a work area as a desktop's panels leave it (_NET_WORKAREA), with the window
    // manager hints that GTK requires before it believes one.
    void SetWorkArea(long x, long y, long width, long height);

private:
    void Stop();

    pid_t pid_ = -1;
    void* display_ = nullptr;  // the Xlib connection, kept open
    bool displaySet_ = false;
    std::optional<std::string> previousDisplay_;
};

}  // namespace ui_test
