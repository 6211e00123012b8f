#pragma once
// The window system on wxWidgets (GTK): dialogs with native controls and a GL viewport.

#include "app/platform/win32/window_system.h"
#include "app/platform/wx/wx_window_registry.h"

#include <memory>
#include <string_view>

namespace wx {

class WxWindowSystem : public win32::WindowSystem {
public:
    // Initialises wx for this process; null when there is no display to open. windowClass is the
    // class every window of the process carries (WM_CLASS), by which launchers and task bars tell
    // its windows from others' and match them with its desktop entry.
    static std::unique_ptr<WxWindowSystem> Start(int argc, char** argv,
                                                 std::string_view windowClass);
    ~WxWindowSystem() override;

    std::unique_ptr<win32::NativeWindow> CreateDialogWindow(
        const win32::DialogTemplate& dialogTemplate, win32::NativeWindow* owner) override;
    int MessageBox(std::string_view text, std::string_view caption, UINT type) override;
    HWND FocusedWindow() const override;

private:
    WxWindowSystem() = default;

    WxWindowRegistry windows_;
};

}  // namespace wx
