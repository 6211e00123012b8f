#include "app/platform/mfc/cwnd.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "app/platform/mfc/menu.h"
#include "app/platform/mfc/message_box.h"
#include "app/platform/win32/default_window_procedure.h"
#include "app/platform/win32/native_window.h"
#include "app/platform/win32/window_system.h"

// Runs the window procedure the way the platform's dispatch does: an exception that escapes a
// handler is reported to the user and the program runs on.
LRESULT CWnd::ReceiveMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return WindowProc(message, wParam, lParam);
    } catch (const std::exception& error) {
        AfxMessageBox(error.what(), MB_OK | MB_ICONEXCLAMATION);
    } catch (...) {
        AfxMessageBox("An unexpected error occurred.", MB_OK | MB_ICONEXCLAMATION);
    }
    return 0;
}

CWnd::~CWnd() {
    Detach();
}

win32::NativeWindow* CWnd::Native() const {
    return win32::NativeWindow::FromHandle(m_hWnd);
}

CWnd* CWnd::FromHandle(HWND handle) {
    win32::NativeWindow* native = win32::NativeWindow::FromHandle(handle);
    if (native == nullptr) {
        return nullptr;
    }
    if (native->Target() != nullptr) {
        return static_cast<CWnd*>(native->Target());
    }
    if (native->Wrapper() == nullptr) {
        auto wrapper = std::make_unique<CWnd>();
        wrapper->m_hWnd = handle;
        native->SetWrapper(std::move(wrapper));
    }
    return static_cast<CWnd*>(native->Wrapper());
}

BOOL CWnd::Attach(HWND handle) {
    win32::NativeWindow* native = win32::NativeWindow::FromHandle(handle);
    if (native == nullptr || m_hWnd != nullptr || native->Target() != nullptr) {
        return FALSE;
    }
    native->SetTarget(this);
    m_hWnd = handle;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND handle = m_hWnd;
    win32::NativeWindow* native = Native();
    if (native != nullptr && native->Target() == this) {
        native->SetTarget(nullptr);
    }
    m_hWnd = nullptr;
    return handle;
}

void CWnd::DetachFromNative() {
    m_hWnd = nullptr;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessage(m_hWnd, message, wParam, lParam);
}

int CWnd::GetWindowText(LPSTR buffer, int bufferSize) const {
    if (buffer == nullptr || bufferSize <= 0) {
        return 0;
    }
    win32::NativeWindow* native = Native();
    const std::string text = native != nullptr ? native->Text() : std::string{};
    const std::size_t copied = std::min(text.size(), static_cast<std::size_t>(bufferSize - 1));
    std::memcpy(buffer, text.data(), copied);
    buffer[copied] = '\0';
    return static_cast<int>(copied);
}

void CWnd::GetWindowText(CString& text) const {
    win32::NativeWindow* native = Native();
    text = native != nullptr ? CString(native->Text()) : CString();
}

int CWnd::GetWindowTextLength() const {
    win32::NativeWindow* native = Native();
    return native != nullptr ? static_cast<int>(native->Text().size()) : 0;
}

void CWnd::SetWindowText(LPCSTR text) {
    if (win32::NativeWindow* native = Native()) {
        native->SetText(text != nullptr ? text : "");
    }
}

CWnd* CWnd::SetFocus() {
    CWnd* previous = GetFocus();
    if (win32::NativeWindow* native = Native()) {
        native->SetFocus();
    }
    return previous;
}

CWnd* CWnd::GetFocus() {
    return FromHandle(win32::CurrentWindowSystem().FocusedWindow());
}

BOOL CWnd::IsIconic() const {
    win32::NativeWindow* native = Native();
    return native != nullptr && native->IsIconic() ? TRUE : FALSE;
}

void CWnd::GetClientRect(LPRECT rect) const {
    if (rect == nullptr) {
        return;
    }
    win32::NativeWindow* native = Native();
    *rect = native != nullptr ? native->ClientRect() : RECT{0, 0, 0, 0};
}

BOOL CWnd::ShowWindow(int command) {
    win32::NativeWindow* native = Native();
    if (native == nullptr) {
        return FALSE;
    }
    const BOOL wasVisible = native->IsVisible() ? TRUE : FALSE;
    native->Show(command != SW_HIDE);
    return wasVisible;
}

BOOL CWnd::IsWindowVisible() const {
    win32::NativeWindow* native = Native();
    return native != nullptr && native->IsVisible() ? TRUE : FALSE;
}

BOOL CWnd::EnableWindow(BOOL enable) {
    win32::NativeWindow* native = Native();
    if (native == nullptr) {
        return FALSE;
    }
    const BOOL wasDisabled = native->IsEnabled() ? FALSE : TRUE;
    native->Enable(enable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const {
    win32::NativeWindow* native = Native();
    return native != nullptr && native->IsEnabled() ? TRUE : FALSE;
}

int CWnd::GetDlgCtrlID() const {
    win32::NativeWindow* native = Native();
    return native != nullptr ? native->ControlId() : 0;
}

CWnd* CWnd::GetDlgItem(int id) const {
    win32::NativeWindow* native = Native();
    win32::NativeWindow* child = native != nullptr ? native->FindChild(id) : nullptr;
    return child != nullptr ? FromHandle(child->Handle()) : nullptr;
}

CWnd* CWnd::GetParent() const {
    win32::NativeWindow* native = Native();
    return native != nullptr && native->Parent() != nullptr ? FromHandle(native->Parent()->Handle())
                                                            : nullptr;
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) const {
    return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert));
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

HICON CWnd::GetIcon(BOOL bigIcon) const {
    win32::NativeWindow* native = Native();
    return native != nullptr ? native->Icon(bigIcon != FALSE) : nullptr;
}

LRESULT CWnd::Default() {
    return DefWindowProc(current_.message, current_.wParam, current_.lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Default() refers to the message being handled; nested sends restore the outer one after.
    const Message outer = current_;
    current_ = Message{message, wParam, lParam};
    struct Restore {
        CWnd& window;
        Message saved;
        ~Restore() { window.current_ = saved; }
    } restore{*this, outer};

    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) {
        result = DefWindowProc(message, wParam, lParam);
    }
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_COMMAND) {
        if (OnCommand(wParam, lParam)) {
            *result = 0;
            return TRUE;
        }
        return FALSE;
    }
    const mfc::MessageMapEntry* entry = GetMessageMap()->Find(message, wParam);
    if (entry == nullptr) {
        return FALSE;
    }
    *result = entry->thunk(*this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM) {
    return OnCmdMsg(LOWORD(wParam), HIWORD(wParam));
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProc(m_hWnd, message, wParam, lParam);
}
