#pragma once
// The backend that makes real windows: wx (wx/) in the viewer, headless (headless/) everywhere
// else. One is current for the whole process; the headless one unless another was installed.

#include <memory>
#include <string_view>

#include "app/platform/win32/dialog_template.h"
#include "app/platform/win32/native_window.h"
#include "app/platform/win32/win_types.h"

namespace win32 {

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // Creates a dialog and its controls from the template, hidden until its modal loop runs.
    // owner (may be null) is the window the dialog belongs to. Returns null when the backend
    // cannot create it.
    virtual std::unique_ptr<NativeWindow> CreateDialogWindow(const DialogTemplate& dialogTemplate,
                                                             NativeWindow* owner) = 0;
    // Shows a modal message box and returns the button chosen (IDOK for an OK box).
    virtual int MessageBox(std::string_view text, std::string_view caption, UINT type) = 0;
    // The window that has the keyboard focus, or null.
    virtual HWND FocusedWindow() const = 0;
};

// The current backend; a headless one is created on first use when none was installed.
WindowSystem& CurrentWindowSystem();
// Makes backend current and returns it; the previous one is destroyed.
WindowSystem& InstallWindowSystem(std::unique_ptr<WindowSystem> backend);

}  // namespace win32
