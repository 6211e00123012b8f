#include "app/platform/wx/wx_list_control.h"

#include "app/platform/win32/window_styles.h"

// wx after our headers: it defines TRUE and FALSE as macros.
#include <wx/combobox.h>

namespace wx {

namespace {

bool IsSorted(win32::WindowKind kind, DWORD style) {
    return kind == win32::WindowKind::ComboBox ? (style & CBS_SORT) != 0 : (style & LBS_SORT) != 0;
}

wxString ToWx(std::string_view text) {
    return wxString::FromUTF8(text.data(), text.size());
}

}  // namespace

WxListControl::WxListControl(WxWindowRegistry& windows, wxWindow* window, wxItemContainer& items,
                             win32::WindowKind kind, int controlId, DWORD style,
                             win32::NativeWindow* parent)
    : WxControlWindow(windows, window, kind, controlId, style, parent),
      items_(items),
      mirror_(IsSorted(kind, style)) {}

int WxListControl::AddItem(std::string_view text) {
    const int index = mirror_.Add(text);
    items_.Insert(ToWx(text), static_cast<unsigned int>(index));
    return index;
}

int WxListControl::DeleteItem(int index) {
    const int left = mirror_.Delete(index);
    if (left >= 0) {
        items_.Delete(static_cast<unsigned int>(index));
    }
    return left;
}

bool WxListControl::ItemText(int index, std::string& text) const {
    auto item = mirror_.At(index);
    if (!item) {
        return false;
    }
    text = std::move(*item);
    return true;
}

int WxListControl::Selection() const {
    const int selection = items_.GetSelection();
    return mirror_.Contains(selection) ? selection : -1;
}

int WxListControl::Select(int index) {
    if (!mirror_.Contains(index)) {
        if (index == -1 || IsCombo()) {
            items_.SetSelection(wxNOT_FOUND);
            if (IsCombo()) {
                SetText("");
            }
        }
        return -1;
    }
    // SetSelection sends no event, like a selection made by the program on Windows.
    items_.SetSelection(index);
    if (IsCombo()) {
        SetText(*mirror_.At(index));
    }
    return index;
}

}  // namespace wx
