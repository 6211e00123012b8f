#include "app/platform/win32/default_window_procedure.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "app/platform/win32/dialog_ids.h"
#include "app/platform/win32/window_messages.h"

namespace win32 {

namespace {

const char* TextParameter(LPARAM lParam) {
    const auto* text = reinterpret_cast<const char*>(lParam);
    return text != nullptr ? text : "";
}

// LB_GETTEXT / CB_GETLBTEXT: the caller's buffer must hold the text and its NUL, as on Windows.
LRESULT CopyItemText(const NativeListControl& list, WPARAM index, LPARAM buffer) {
    std::string text;
    if (buffer == 0 || !list.ItemText(static_cast<int>(index), text)) {
        return LB_ERR;
    }
    std::memcpy(reinterpret_cast<char*>(buffer), text.c_str(), text.size() + 1);
    return static_cast<LRESULT>(text.size());
}

bool ListMessage(NativeListControl& list, UINT message, WPARAM wParam, LPARAM lParam,
                 LRESULT& result) {
    const int index = static_cast<int>(static_cast<std::intptr_t>(wParam));
    switch (message) {
        case LB_ADDSTRING:
        case CB_ADDSTRING:
            result = list.AddItem(TextParameter(lParam));
            return true;
        case LB_DELETESTRING:
        case CB_DELETESTRING:
            result = list.DeleteItem(index);
            return true;
        case LB_GETCOUNT:
        case CB_GETCOUNT:
            result = list.ItemCount();
            return true;
        case LB_GETCURSEL:
        case CB_GETCURSEL:
            result = list.Selection();
            return true;
        case LB_SETCURSEL:
        case CB_SETCURSEL:
            result = list.Select(index);
            return true;
        case LB_GETTEXT:
        case CB_GETLBTEXT:
            result = CopyItemText(list, wParam, lParam);
            return true;
        default:
            return false;
    }
}

LRESULT DialogClose(NativeWindow& dialog) {
    // A disabled Cancel button means the dialog cannot be cancelled now.
    NativeWindow* cancel = dialog.FindChild(IDCANCEL);
    if (cancel != nullptr && !cancel->IsEnabled()) {
        return 0;
    }
    const LPARAM control = cancel != nullptr ? reinterpret_cast<LPARAM>(cancel->Handle()) : 0;
    SendMessage(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), control);
    return 0;
}

LRESULT SystemCommand(NativeWindow& window, WPARAM command) {
    switch (command & 0xFFF0) {
        case SC_CLOSE:
            SendMessage(window.Handle(), WM_CLOSE);
            break;
        case SC_MINIMIZE:
            window.Iconize(true);
            break;
        case SC_RESTORE:
            window.Iconize(false);
            break;
        default:
            // Moving and sizing belong to the window manager; there is nothing to do here.
            break;
    }
    return 0;
}

}  // namespace

LRESULT DefaultWindowProcedure(NativeWindow& window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (NativeListControl* list = window.List()) {
        LRESULT result = 0;
        if (ListMessage(*list, message, wParam, lParam, result)) {
            return result;
        }
    }
    switch (message) {
        case WM_SETTEXT:
            window.SetText(TextParameter(lParam));
            return TRUE;
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(window.Text().size());
        case WM_GETTEXT: {
            auto* buffer = reinterpret_cast<char*>(lParam);
            if (buffer == nullptr || wParam == 0) {
                return 0;
            }
            const std::string text = window.Text();
            const std::size_t copied = std::min<std::size_t>(text.size(), wParam - 1);
            std::memcpy(buffer, text.data(), copied);
            buffer[copied] = '\0';
            return static_cast<LRESULT>(copied);
        }
        case WM_SETICON:
            return reinterpret_cast<LRESULT>(
                window.SetIcon(wParam == ICON_BIG, reinterpret_cast<HICON>(lParam)));
        case WM_GETICON:
            return reinterpret_cast<LRESULT>(window.Icon(wParam == ICON_BIG));
        case WM_CLOSE:
            return window.Kind() == WindowKind::Dialog ? DialogClose(window) : 0;
        case WM_SYSCOMMAND:
            return SystemCommand(window, wParam);
        case WM_MOUSEWHEEL:
            // List and combo boxes scroll themselves; other children pass the wheel on to their
            // parent.
            return window.Parent() != nullptr && window.List() == nullptr
                       ? SendMessage(window.Parent()->Handle(), message, wParam, lParam)
                       : 0;
        default:
            return 0;
    }
}

}  // namespace win32

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    win32::NativeWindow* native = win32::NativeWindow::FromHandle(window);
    if (native == nullptr) {
        return 0;
    }
    if (win32::WindowTarget* target = native->Target()) {
        return target->ReceiveMessage(message, wParam, lParam);
    }
    return win32::DefaultWindowProcedure(*native, message, wParam, lParam);
}

LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    win32::NativeWindow* native = win32::NativeWindow::FromHandle(window);
    return native == nullptr ? 0 : win32::DefaultWindowProcedure(*native, message, wParam, lParam);
}
