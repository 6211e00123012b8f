#pragma once
// The window system on wxWidgets (GTK): dialogs with native controls and a GL viewport.

#include "app/platform/win32/window_system.h"

#include <memory>
#include <string_view>
#include <unordered_map>

class wxWindow;

namespace wx {

class WxWindowSystem : public WindowSystem {
public:
    // Initialises wx for this process; null when there is no display to open. windowClass is the
    // class every window of the process carries (WM_CLASS), by which launchers and task bars tell
    // its windows from others' and match them with its desktop entry.
    static std::unique_ptr<WxWindowSystem> Start(int argc, char** argv,
                                                 std::string_view windowClass);
    ~WxWindowSystem() override;

    std::unique_ptr<NativeWindow> CreateDialogWindow(const DialogTemplate& dialogTemplate,
                                                     NativeWindow* owner) override;
    int MessageBox(std::string_view text, std::string_view caption, UINT type) override;
    HWND FocusedWindow() const override;

    // The native windows know their wx windows by this map (for focus and event routing).
    void Register(wxWindow* window, NativeWindow* native) { natives_[window] = native; }
    void Unregister(wxWindow* window) { natives_.erase(window); }
    NativeWindow* NativeOf(const wxWindow* window) const;

private:
    WxWindowSystem() = default;

    std::unordered_map<const wxWindow*, NativeWindow*> natives_;
};

}  // namespace wx
