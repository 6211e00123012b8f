#include "app/platform/wx/wx_dialog_window.h"

#include "app/platform/win32/default_window_procedure.h"
#include "app/platform/win32/dialog_ids.h"
#include "app/platform/win32/dialog_rules.h"
#include "app/platform/win32/resources.h"
#include "app/platform/win32/system_menu.h"
#include "app/platform/win32/window_messages.h"
#include "app/platform/win32/window_styles.h"
#include "app/platform/wx/wx_control_window.h"
#include "app/platform/wx/wx_device_context.h"
#include "app/platform/wx/wx_dialog_fit.h"
#include "app/platform/wx/wx_icon_bitmap.h"
#include "app/platform/wx/wx_list_control.h"
#include "app/platform/wx/wx_viewport_canvas.h"

#include <algorithm>

// wx after our headers: it defines TRUE and FALSE as macros.
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/dcclient.h>
#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/region.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

namespace wx {

namespace {

constexpr int FirstMenuId = wxID_HIGHEST + 1;

UINT KeyFlags(const wxMouseState& state) {
    UINT flags = 0;
    flags |= state.LeftIsDown() ? MK_LBUTTON : 0;
    flags |= state.RightIsDown() ? MK_RBUTTON : 0;
    flags |= state.MiddleIsDown() ? MK_MBUTTON : 0;
    flags |= state.ShiftDown() ? MK_SHIFT : 0;
    flags |= state.ControlDown() ? MK_CONTROL : 0;
    return flags;
}

wxString ToWx(const std::string& text) {
    return wxString::FromUTF8(text.c_str());
}

}  // namespace

// The wx dialog: turns its events and its controls' events into messages for the CDialog.
class RoutedDialog : public wxDialog {
public:
    RoutedDialog(wxWindow* parent, const wxString& title, long style)
        : wxDialog(parent, wxID_ANY, title, wxDefaultPosition, wxDefaultSize, style) {
        // Enter and Escape are ours to route (to IDOK / IDCANCEL), not wx's.
        SetEscapeId(wxID_NONE);
        SetAffirmativeId(wxID_NONE);
        Bind(wxEVT_CHAR_HOOK, &RoutedDialog::OnCharHook, this);
        Bind(wxEVT_CLOSE_WINDOW, &RoutedDialog::OnCloseWindow, this);
        Bind(wxEVT_PAINT, &RoutedDialog::OnPaintDialog, this);
        Bind(wxEVT_BUTTON, [this](wxCommandEvent& event) { Notify(event, BN_CLICKED); });
        Bind(wxEVT_LISTBOX, [this](wxCommandEvent& event) { NotifyList(event, LBN_SELCHANGE); });
        Bind(wxEVT_COMBOBOX, [this](wxCommandEvent& event) { Notify(event, CBN_SELCHANGE); });
        Bind(wxEVT_TEXT, &RoutedDialog::OnText, this);
        Bind(wxEVT_CONTEXT_MENU, [this](wxContextMenuEvent&) {
            if (owner != nullptr) {
                owner->ShowSystemMenu(-1, -1, false);
            }
        });
        // Remembered so that the keyboard can come back here when a modal box this dialog owns
        // ends, as Windows restores a dialog's focused control when it is activated again.
        Bind(wxEVT_CHILD_FOCUS, [this](wxChildFocusEvent& event) {
            lastFocus_ = event.GetWindow();
            event.Skip();
        });
        BindMouse(this);
    }

    WxDialogWindow* owner = nullptr;

    // Gives the keyboard back to the control that had it last (GTK leaves none focused once a
    // modal box of ours is gone, so keys would go nowhere until a click).
    // GTK selects the first row of a list without a selection when the keyboard focus arrives
    // in it (Tab); Windows selects nothing then, and tells nobody. The selection that follows
    // the focus in the same turn of the event loop is undone instead of notified.
    void ListFocusArrived(wxListBox& list) {
        if (list.GetSelection() != wxNOT_FOUND) {
            return;
        }
        focusArrivedList_ = &list;
        CallAfter([this] { focusArrivedList_ = nullptr; });
    }

    // Called as the box ends. A key pressed the moment the box is gone must find a focused
    // control, so the focus returns before anything else is dispatched: at once, or, while this
    // dialog is still disabled for the box, the moment it is enabled again (GTK gives no focus to
    // a disabled window). The box may have been opened from the window menu, whose popup may
    // still be closing, so the focus is asserted once more after that.
    void RestoreFocus() {
        if (IsEnabled()) {
            FocusLastFocused();
        } else {
            focusOnEnable_ = true;
        }
        CallAfter([this] { FocusLastFocused(); });
    }

    bool Enable(bool enable = true) override {
        const bool changed = wxDialog::Enable(enable);
        if (enable && focusOnEnable_) {
            focusOnEnable_ = false;
            FocusLastFocused();
        }
        return changed;
    }

    // Mouse input over the dialog and over controls that take none of their own.
    void BindMouse(wxWindow* source) {
        source->Bind(wxEVT_MOTION,
                     [this, source](wxMouseEvent& event) { OnMotion(*source, event); });
        source->Bind(wxEVT_MOUSEWHEEL,
                     [this, source](wxMouseEvent& event) { OnWheel(*source, event); });
        // RIGHT_DOWN is not skipped: wxGTK would otherwise raise a context menu on the press.
        source->Bind(wxEVT_RIGHT_DOWN, [this](wxMouseEvent&) { rightMoved_ = false; });
        source->Bind(wxEVT_RIGHT_UP, [this, source](wxMouseEvent& event) {
            if (!rightMoved_ && owner != nullptr) {
                const wxPoint point = ToDialog(*source, event.GetPosition());
                owner->ShowSystemMenu(point.x, point.y, true);
            }
        });
    }

    void BindViewportPaint(wxWindow& canvas) {
        canvas.Bind(wxEVT_PAINT, [this, &canvas](wxPaintEvent&) {
            wxPaintDC validate(&canvas);
            Send(WM_PAINT, 0, 0);
        });
    }

private:
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) {
        return owner != nullptr ? SendMessage(owner->Handle(), message, wParam, lParam) : 0;
    }

    wxPoint ToDialog(wxWindow& source, wxPoint point) const {
        return &source == this ? point : ScreenToClient(source.ClientToScreen(point));
    }

    void Notify(wxCommandEvent& event, UINT code) {
        const auto* window = dynamic_cast<wxWindow*>(event.GetEventObject());
        WxControlWindow* control = owner != nullptr ? owner->ControlOf(window) : nullptr;
        if (control == nullptr) {
            event.Skip();
            return;
        }
        Send(WM_COMMAND,
             MAKEWPARAM(static_cast<WORD>(control->ControlId()), static_cast<WORD>(code)),
             reinterpret_cast<LPARAM>(control->Handle()));
    }

    void NotifyList(wxCommandEvent& event, UINT code) {
        const auto* window = dynamic_cast<wxWindow*>(event.GetEventObject());
        if (code == LBN_SELCHANGE && focusArrivedList_ && focusArrivedList_.get() == window) {
            focusArrivedList_->SetSelection(wxNOT_FOUND);
            focusArrivedList_ = nullptr;
            return;
        }
        WxControlWindow* control = owner != nullptr ? owner->ControlOf(window) : nullptr;
        if (control != nullptr && win32::NotifiesSelection(*control)) {
            Notify(event, code);
        }
    }

    void OnText(wxCommandEvent& event) {
        const auto* window = dynamic_cast<wxWindow*>(event.GetEventObject());
        WxControlWindow* control = owner != nullptr ? owner->ControlOf(window) : nullptr;
        // Only user edits arrive here (the program's texts are set without events).
        if (control != nullptr && control->Kind() == win32::WindowKind::Edit) {
            Notify(event, EN_CHANGE);
        }
    }

    void OnMotion(wxWindow& source, wxMouseEvent& event) {
        event.Skip();
        if (event.RightIsDown()) {
            rightMoved_ = true;
        }
        const wxPoint point = ToDialog(source, event.GetPosition());
        // GTK keeps sending a dragging pointer to the window it started in; Windows would not
        // send these to the dialog, so they are dropped.
        if (owner == nullptr || !win32::DialogOwnsPoint(*owner, point.x, point.y)) {
            return;
        }
        Send(WM_MOUSEMOVE, KeyFlags(event), win32::MakePointLParam(point.x, point.y));
    }

    void OnWheel(wxWindow& source, wxMouseEvent& event) {
        if (event.GetWheelAxis() != wxMOUSE_WHEEL_VERTICAL) {
            event.Skip();
            return;
        }
        const wxPoint screen = source.ClientToScreen(event.GetPosition());
        const auto delta = static_cast<SHORT>(event.GetWheelRotation());
        Send(WM_MOUSEWHEEL,
             MAKEWPARAM(static_cast<WORD>(KeyFlags(event)), static_cast<WORD>(delta)),
             win32::MakePointLParam(screen.x, screen.y));
    }

    void OnCharHook(wxKeyEvent& event) {
        const int key = event.GetKeyCode();
        const int modifiers = event.GetModifiers();
        if (owner == nullptr) {
            event.Skip();
            return;
        }
        if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER || key == WXK_ESCAPE) &&
            modifiers == wxMOD_NONE) {
            const win32::DialogKey dialogKey =
                win32::TranslateDialogKey(*owner, owner->ControlOf(wxWindow::FindFocus()),
                                          key == WXK_ESCAPE ? VK_ESCAPE : VK_RETURN);
            if (!dialogKey.isDialogKey) {
                event.Skip();
            } else if (dialogKey.command) {
                const win32::DialogCommand& command = *dialogKey.command;
                Send(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(command.id), BN_CLICKED),
                     command.control != nullptr
                         ? reinterpret_cast<LPARAM>(command.control->Handle())
                         : 0);
            }
            return;
        }
        if ((key == WXK_F10 && modifiers == wxMOD_SHIFT) || key == WXK_MENU ||
            key == WXK_WINDOWS_MENU || (key == WXK_SPACE && modifiers == wxMOD_ALT)) {
            owner->ShowSystemMenu(-1, -1, false);
            return;
        }
        if (key == WXK_F4 && modifiers == wxMOD_ALT) {
            Send(WM_SYSCOMMAND, SC_CLOSE, 0);
            return;
        }
        event.Skip();
    }

    void OnCloseWindow(wxCloseEvent& event) {
        if (event.CanVeto() && owner != nullptr) {
            // The dialog decides: WM_CLOSE ends it through IDCANCEL unless a handler says not.
            event.Veto();
            Send(WM_CLOSE, 0, 0);
            return;
        }
        if (IsModal()) {
            EndModal(IDCANCEL);
        }
    }

    void OnPaintDialog(wxPaintEvent&) {
        if (owner == nullptr || OnlyControlsDamaged()) {
            wxPaintDC validate(this);
            return;
        }
        owner->SetPaintingDialog(true);
        Send(WM_PAINT, 0, 0);
        if (owner != nullptr) {
            owner->SetPaintingDialog(false);
        }
    }

    // GTK 3 draws child controls through their dialog, so a control that redraws itself (a
    // readout taking new text) raises the dialog's paint event too. On Windows a control's own
    // redraw does not paint the dialog: only damage outside every control reaches WM_PAINT.
    bool OnlyControlsDamaged() const {
        wxRegion outside(GetUpdateRegion());
        for (const wxWindow* child : GetChildren()) {
            if (child->IsShown() && !child->IsTopLevel()) {
                outside.Subtract(child->GetRect());
            }
        }
        return outside.IsEmpty();
    }

    void FocusLastFocused() {
        if (lastFocus_ && lastFocus_->IsShownOnScreen() && lastFocus_->IsEnabled()) {
            lastFocus_->SetFocus();
        } else {
            SetFocus();
        }
    }

    bool rightMoved_ = false;
    bool focusOnEnable_ = false;
    wxWeakRef<wxWindow> lastFocus_;
    wxWeakRef<wxListBox> focusArrivedList_;
};

WxDialogWindow::WxDialogWindow(WxWindowRegistry& windows,
                               const win32::DialogTemplate& dialogTemplate,
                               win32::NativeWindow* owner)
    : win32::NativeWindow(win32::WindowKind::Dialog, 0, dialogTemplate.style & ~WS_VISIBLE,
                          nullptr),
      windows_(windows) {
    auto* ownerDialog = dynamic_cast<WxDialogWindow*>(owner);
    long style = wxCAPTION;
    if ((dialogTemplate.style & WS_SYSMENU) != 0) {
        style |= wxSYSTEM_MENU | wxCLOSE_BOX;
    }
    if ((dialogTemplate.style & WS_MINIMIZEBOX) != 0) {
        style |= wxMINIMIZE_BOX;
    }
    dialog_ = new RoutedDialog(ownerDialog != nullptr ? ownerDialog->Window() : nullptr,
                               ToWx(dialogTemplate.caption), style);
    dialog_->owner = this;
    windows_.Register(dialog_, this);

    // The dialog font decides the base units, so it is set before anything is converted. Without
    // "MS Sans Serif", the platform's sans face at the template's size stands in, smaller when
    // the dialog would not fit its screen at that size.
    const DialogPlacement placement = FitDialogFont(
        *dialog_, dialogTemplate, ownerDialog != nullptr ? ownerDialog->Window() : nullptr);
    baseUnits_ = placement.fit.baseUnits;

    bool hasRenderTarget = false;
    for (const win32::DialogControlTemplate& control : dialogTemplate.controls) {
        CreateControl(control);
        hasRenderTarget = hasRenderTarget || control.renderTarget;
    }

    const RECT client = win32::DialogRectToPixels(
        win32::DialogRect{0, 0, dialogTemplate.rect.cx, dialogTemplate.rect.cy}, baseUnits_);
    dialog_->SetClientSize(client.right, client.bottom);
    const wxSize outer = dialog_->GetSize();
    dialog_->SetSizeHints(outer, outer);
    const wxRect& area = placement.workArea;
    if (!placement.fit.fits) {
        // Larger than its screen even at the smallest font: the top-left corner, with the caption
        // and the first controls, stays on screen.
        dialog_->Move(area.GetTopLeft());
    } else if (dialogTemplate.rect.x == 0 && dialogTemplate.rect.y == 0) {
        dialog_->CentreOnParent();
        // wx centres without a frame it does not know yet; the whole window stays in the work
        // area.
        const wxSize whole = dialog_->GetClientSize() + placement.frame;
        const wxPoint centred = dialog_->GetPosition();
        dialog_->Move(
            std::clamp(centred.x, area.x, std::max(area.x, area.GetRight() + 1 - whole.x)),
            std::clamp(centred.y, area.y, std::max(area.y, area.GetBottom() + 1 - whole.y)));
    } else {
        const RECT placed = win32::DialogRectToPixels(dialogTemplate.rect, baseUnits_);
        dialog_->Move(placed.left, placed.top);
    }
    // The viewport's GL drawable exists only once the dialog has been shown, and the renderer is
    // created while the dialog initialises.
    if (hasRenderTarget) {
        dialog_->Show();
    }
}

WxDialogWindow::~WxDialogWindow() {
    dialog_->owner = nullptr;
    children_.clear();
    windows_.Unregister(dialog_);
    dialog_->Destroy();
}

wxWindow* WxDialogWindow::Window() const {
    return dialog_;
}

void WxDialogWindow::CreateControl(const win32::DialogControlTemplate& control) {
    const RECT rect = win32::DialogRectToPixels(control.rect, baseUnits_);
    const wxPoint position(rect.left, rect.top);
    wxSize size(rect.right - rect.left, rect.bottom - rect.top);
    const wxString text = ToWx(control.text);
    const DWORD style = control.style;
    wxWindow* window = nullptr;
    std::unique_ptr<WxControlWindow> native;
    bool passive = false;

    switch (control.kind) {
        case win32::WindowKind::Button:
            if ((style & BS_TYPEMASK) == BS_GROUPBOX) {
                window = new wxStaticBox(dialog_, wxID_ANY, text, position, size);
                passive = true;
            } else {
                window = new wxButton(dialog_, wxID_ANY, text, position, size);
            }
            break;
        case win32::WindowKind::Edit: {
            long editStyle = 0;
            editStyle |= (style & ES_READONLY) != 0 ? wxTE_READONLY : 0;
            editStyle |= (style & ES_MULTILINE) != 0 ? wxTE_MULTILINE : 0;
            editStyle |= (style & 0x3) == ES_RIGHT ? wxTE_RIGHT : 0;
            editStyle |= (style & 0x3) == ES_CENTER ? wxTE_CENTRE : 0;
            window = new wxTextCtrl(dialog_, wxID_ANY, text, position, size, editStyle);
            break;
        }
        case win32::WindowKind::Static: {
            const DWORD type = style & SS_TYPEMASK;
            passive = (style & SS_NOTIFY) == 0;
            if (control.renderTarget) {
                window = new ViewportCanvas(dialog_, position, size);
            } else if (type == SS_ICON) {
                const win32::IconResource* icon =
                    win32::IconFromHandle(win32::FindIcon(control.iconId));
                const win32::IconImage* image = icon != nullptr ? icon->ImageFor(32, 32) : nullptr;
                window = new wxStaticBitmap(dialog_, wxID_ANY,
                                            image != nullptr ? BitmapOfIcon(*image) : wxBitmap(),
                                            position, wxSize(32, 32));
            } else if (type >= SS_BLACKRECT && type <= SS_WHITEFRAME) {
                window = new wxPanel(dialog_, wxID_ANY, position, size, wxBORDER_SIMPLE);
            } else {
                long textStyle = wxST_NO_AUTORESIZE;
                textStyle |= type == SS_RIGHT ? wxALIGN_RIGHT : 0;
                textStyle |= type == SS_CENTER ? wxALIGN_CENTRE_HORIZONTAL : 0;
                textStyle |= (style & SS_SUNKEN) != 0 ? wxBORDER_SUNKEN : 0;
                auto* label =
                    new wxStaticText(dialog_, wxID_ANY, wxString(), position, size, textStyle);
                if ((style & SS_NOPREFIX) != 0) {
                    label->SetLabelText(text);
                } else {
                    label->SetLabel(text);
                }
                window = label;
            }
            break;
        }
        case win32::WindowKind::ListBox: {
            long listStyle = wxLB_SINGLE;
            listStyle |= (style & WS_VSCROLL) != 0 ? wxLB_NEEDED_SB : 0;
            auto* list = new wxListBox(dialog_, wxID_ANY, position, size, 0, nullptr, listStyle);
            list->Bind(wxEVT_SET_FOCUS, [dialog = dialog_, list](wxFocusEvent& event) {
                dialog->ListFocusArrived(*list);
                event.Skip();
            });
            window = list;
            native = std::make_unique<WxListControl>(windows_, list, *list, control.kind,
                                                     control.id, style, this);
            break;
        }
        case win32::WindowKind::ComboBox: {
            // The template's height includes the dropped list; the closed field is one line high.
            size.y = win32::DialogUnitsToPixels(12, baseUnits_.height, 8);
            const long comboStyle =
                (style & CBS_TYPEMASK) == CBS_DROPDOWNLIST ? wxCB_READONLY : wxCB_DROPDOWN;
            auto* combo = new wxComboBox(dialog_, wxID_ANY, wxString(), position, size, 0, nullptr,
                                         comboStyle);
            window = combo;
            native = std::make_unique<WxListControl>(windows_, combo, *combo, control.kind,
                                                     control.id, style, this);
            break;
        }
        case win32::WindowKind::Dialog:
            return;
    }
    if (!native) {
        native = std::make_unique<WxControlWindow>(windows_, window, control.kind, control.id,
                                                   style, this);
    }
    if ((style & WS_VISIBLE) == 0) {
        window->Hide();
    }
    if ((style & WS_DISABLED) != 0) {
        window->Disable();
    }
    if (passive && window != dialog_) {
        dialog_->BindMouse(window);
    }
    if (auto* canvas = dynamic_cast<ViewportCanvas*>(window)) {
        canvas->RegisterSurface(native->Handle());
        dialog_->BindViewportPaint(*canvas);
    }
    children_.push_back(std::move(native));
}

std::vector<win32::NativeWindow*> WxDialogWindow::Children() const {
    std::vector<win32::NativeWindow*> children;
    for (const auto& child : children_) {
        children.push_back(child.get());
    }
    return children;
}

std::string WxDialogWindow::Text() const {
    return std::string(dialog_->GetTitle().utf8_str());
}

void WxDialogWindow::SetText(std::string_view text) {
    dialog_->SetTitle(wxString::FromUTF8(text.data(), text.size()));
}

void WxDialogWindow::SetFocus() {
    dialog_->SetFocus();
}

bool WxDialogWindow::HasFocus() const {
    return wxWindow::FindFocus() == dialog_;
}

bool WxDialogWindow::IsVisible() const {
    return dialog_->IsShown();
}

void WxDialogWindow::Show(bool visible) {
    dialog_->Show(visible);
}

bool WxDialogWindow::IsEnabled() const {
    return dialog_->IsThisEnabled();
}

void WxDialogWindow::Enable(bool enabled) {
    dialog_->Enable(enabled);
}

RECT WxDialogWindow::ClientRect() const {
    const wxSize size = dialog_->GetClientSize();
    return RECT{0, 0, size.x, size.y};
}

RECT WxDialogWindow::WindowRect() const {
    const wxRect rect = dialog_->GetScreenRect();
    return RECT{rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
}

bool WxDialogWindow::IsIconic() const {
    return dialog_->IsIconized();
}

void WxDialogWindow::Iconize(bool iconic) {
    dialog_->Iconize(iconic);
}

HICON WxDialogWindow::SetIcon(bool big, HICON icon) {
    HICON previous = win32::NativeWindow::SetIcon(big, icon);
    dialog_->SetIcons(IconBundleOf(Icon(true), Icon(false)));
    return previous;
}

std::unique_ptr<win32::DeviceContext> WxDialogWindow::BeginPaint() {
    // Inside the dialog's paint event the first device context is the paint DC.
    const bool paintDc = paintingDialog_ && !paintDcTaken_;
    paintDcTaken_ = paintDcTaken_ || paintDc;
    return std::make_unique<WxDeviceContext>(*dialog_, paintDc);
}

win32::MenuModel* WxDialogWindow::SystemMenu() {
    return systemMenu_.Get(Style());
}

void WxDialogWindow::RevertSystemMenu() {
    systemMenu_.Revert(Style());
}

int WxDialogWindow::RunModal() {
    const int result = dialog_->ShowModal();
    if (auto* ownerDialog = dynamic_cast<RoutedDialog*>(dialog_->GetParent())) {
        ownerDialog->RestoreFocus();
    }
    return result;
}

void WxDialogWindow::EndModal(int result) {
    if (dialog_->IsModal()) {
        dialog_->EndModal(result);
    }
}

WxControlWindow* WxDialogWindow::ControlOf(const wxWindow* window) const {
    for (const wxWindow* current = window; current != nullptr && current != dialog_;
         current = current->GetParent()) {
        for (const auto& child : children_) {
            if (child->Window() == current) {
                return child.get();
            }
        }
    }
    return nullptr;
}

void WxDialogWindow::ShowSystemMenu(int x, int y, bool atPointer) {
    win32::MenuModel* menu = SystemMenu();
    if (menu == nullptr || !dialog_->IsEnabled()) {
        return;
    }
    wxMenu popup;
    const auto& items = menu->Items();
    for (std::size_t index = 0; index < items.size(); ++index) {
        const win32::MenuItem& item = items[index];
        if (item.IsSeparator()) {
            popup.AppendSeparator();
            continue;
        }
        wxMenuItem* entry = popup.Append(FirstMenuId + static_cast<int>(index), ToWx(item.text));
        entry->Enable(item.IsEnabled());
    }
    const wxPoint where = atPointer ? wxPoint(x, y) : wxDefaultPosition;
    const int chosen = dialog_->GetPopupMenuSelectionFromUser(popup, where);
    const int index = chosen - FirstMenuId;
    // The menu may have changed while it was open; only an item still there counts.
    if (chosen == wxID_NONE || index < 0 || static_cast<std::size_t>(index) >= items.size()) {
        return;
    }
    const wxPoint screen = wxGetMousePosition();
    SendMessage(Handle(), WM_SYSCOMMAND, items[static_cast<std::size_t>(index)].command,
                win32::MakePointLParam(screen.x, screen.y));
}

}  // namespace wx
