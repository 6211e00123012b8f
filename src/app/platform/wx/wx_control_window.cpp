#include "app/platform/wx/wx_control_window.h"

#include "app/platform/win32/window_styles.h"
#include "app/platform/wx/wx_device_context.h"

// wx after our headers: it defines TRUE and FALSE as macros.
#include <wx/combobox.h>
#include <wx/control.h>
#include <wx/textctrl.h>

namespace wx {

WxControlWindow::WxControlWindow(WxWindowRegistry& windows, wxWindow* window,
                                 win32::WindowKind kind, int controlId, DWORD style,
                                 win32::NativeWindow* parent)
    : win32::NativeWindow(kind, controlId, style, parent), windows_(windows), window_(window) {
    windows_.Register(window_, this);
}

WxControlWindow::~WxControlWindow() {
    windows_.Unregister(window_);
}

std::string WxControlWindow::Text() const {
    wxString text;
    if (auto* edit = dynamic_cast<wxTextCtrl*>(window_)) {
        text = edit->GetValue();
    } else if (auto* combo = dynamic_cast<wxComboBox*>(window_)) {
        text = combo->GetValue();
    } else {
        text = window_->GetLabel();
    }
    return std::string(text.utf8_str());
}

void WxControlWindow::SetText(std::string_view text) {
    const wxString value = wxString::FromUTF8(text.data(), text.size());
    // ChangeValue: a text set by the program is no user edit and sends no notification.
    if (auto* edit = dynamic_cast<wxTextCtrl*>(window_)) {
        edit->ChangeValue(value);
    } else if (auto* combo = dynamic_cast<wxComboBox*>(window_)) {
        combo->ChangeValue(value);
    } else if (Kind() == win32::WindowKind::Static && (Style() & SS_NOPREFIX) != 0) {
        static_cast<wxControl*>(window_)->SetLabelText(value);
    } else {
        window_->SetLabel(value);
    }
}

void WxControlWindow::SetFocus() {
    window_->SetFocus();
    // A GTK list takes the focus back once the click that changed its selection is fully handled,
    // after our notification handler ran; asking again when that event is done keeps the focus
    // where the handler put it. The call belongs to the window, so it dies with it.
    wxWindow* window = window_;
    window_->CallAfter([window] { window->SetFocus(); });
}

bool WxControlWindow::HasFocus() const {
    for (const wxWindow* focus = wxWindow::FindFocus(); focus != nullptr;
         focus = focus->GetParent()) {
        if (focus == window_) {
            return true;
        }
        if (focus->IsTopLevel()) {
            break;
        }
    }
    return false;
}

RECT WxControlWindow::ClientRect() const {
    const wxSize size = window_->GetClientSize();
    return RECT{0, 0, size.x, size.y};
}

RECT WxControlWindow::WindowRect() const {
    const wxRect rect = window_->GetRect();
    return RECT{rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
}

std::unique_ptr<win32::DeviceContext> WxControlWindow::BeginPaint() {
    return std::make_unique<WxDeviceContext>(*window_, false);
}

}  // namespace wx
