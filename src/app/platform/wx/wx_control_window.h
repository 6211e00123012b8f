#pragma once
// A dialog control that is a wx window (button, edit, static, frame, icon or GL viewport).

#include "app/platform/win32/native_window.h"
#include "app/platform/wx/wx_window_registry.h"

// wx after our headers: it defines TRUE and FALSE as macros.
#include <wx/window.h>

namespace wx {

class WxControlWindow : public win32::NativeWindow {
public:
    WxControlWindow(WxWindowRegistry& windows, wxWindow* window, win32::WindowKind kind,
                    int controlId, DWORD style, win32::NativeWindow* parent);
    ~WxControlWindow() override;

    wxWindow* Window() const { return window_; }

    std::string Text() const override;
    void SetText(std::string_view text) override;
    void SetFocus() override;
    bool HasFocus() const override;
    bool IsVisible() const override { return window_->IsShown(); }
    void Show(bool visible) override { window_->Show(visible); }
    bool IsEnabled() const override { return window_->IsThisEnabled(); }
    void Enable(bool enabled) override { window_->Enable(enabled); }
    RECT ClientRect() const override;
    RECT WindowRect() const override;
    std::unique_ptr<win32::DeviceContext> BeginPaint() override;

private:
    WxWindowRegistry& windows_;
    wxWindow* window_;  // owned by its wx parent
};

}  // namespace wx
