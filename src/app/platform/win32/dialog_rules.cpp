#include "app/platform/win32/dialog_rules.h"

#include "app/platform/win32/dialog_ids.h"
#include "app/platform/win32/window_messages.h"
#include "app/platform/win32/window_styles.h"

namespace win32 {

bool IsPushButton(const NativeWindow& window) {
    const DWORD type = window.Style() & BS_TYPEMASK;
    return window.Kind() == WindowKind::Button &&
           (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

bool TakesMouseInput(const NativeWindow& control) {
    switch (control.Kind()) {
        case WindowKind::Static:
            return (control.Style() & SS_NOTIFY) != 0;
        case WindowKind::Button:
            return (control.Style() & BS_TYPEMASK) != BS_GROUPBOX;
        default:
            return true;
    }
}

bool DialogOwnsPoint(const NativeWindow& dialog, int x, int y) {
    const RECT client = dialog.ClientRect();
    if (x < client.left || y < client.top || x >= client.right || y >= client.bottom) {
        return false;
    }
    for (const NativeWindow* child : dialog.Children()) {
        const RECT rect = child->WindowRect();
        if (child->IsVisible() && TakesMouseInput(*child) && x >= rect.left && x < rect.right &&
            y >= rect.top && y < rect.bottom) {
            return false;
        }
    }
    return true;
}

bool NotifiesSelection(const NativeWindow& listBox) {
    return (listBox.Style() & LBS_NOTIFY) != 0;
}

DialogKey TranslateDialogKey(const NativeWindow& dialog, NativeWindow* focused, UINT virtualKey) {
    if (virtualKey == VK_ESCAPE) {
        NativeWindow* cancel = dialog.FindChild(IDCANCEL);
        if (cancel != nullptr && !cancel->IsEnabled()) {
            return {true, std::nullopt};
        }
        return {true, DialogCommand{IDCANCEL, cancel}};
    }
    if (virtualKey != VK_RETURN) {
        return {false, std::nullopt};
    }
    if (focused != nullptr && focused->Kind() == WindowKind::Edit &&
        (focused->Style() & ES_MULTILINE) != 0) {
        return {false, std::nullopt};
    }
    if (focused != nullptr && focused->Parent() == &dialog && focused->IsVisible() &&
        IsPushButton(*focused)) {
        return {true, DialogCommand{focused->ControlId(), focused}};
    }
    for (NativeWindow* child : dialog.Children()) {
        if (child->Kind() == WindowKind::Button &&
            (child->Style() & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            if (!child->IsEnabled()) {
                return {true, std::nullopt};
            }
            return {true, DialogCommand{child->ControlId(), child}};
        }
    }
    return {true, DialogCommand{IDOK, dialog.FindChild(IDOK)}};
}

}  // namespace win32
