#pragma once
// Which native window a wx window stands for: the windows register themselves while they exist,
// and the window system looks focus and events up here. The windows know only this side of it.

#include <unordered_map>

#include "app/platform/win32/native_window.h"

class wxWindow;

namespace wx {

class WxWindowRegistry {
public:
    void Register(const wxWindow* window, win32::NativeWindow* native) {
        natives_[window] = native;
    }
    void Unregister(const wxWindow* window) { natives_.erase(window); }
    // The native window of window or of its nearest registered ancestor, or null.
    win32::NativeWindow* NativeOf(const wxWindow* window) const;

private:
    std::unordered_map<const wxWindow*, win32::NativeWindow*> natives_;
};

}  // namespace wx
