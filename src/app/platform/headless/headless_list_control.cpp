#include "app/platform/headless/headless_list_control.h"

#include "app/platform/win32/window_styles.h"

namespace headless {

namespace {

bool IsSorted(win32::WindowKind kind, DWORD style) {
    return kind == win32::WindowKind::ComboBox ? (style & CBS_SORT) != 0 : (style & LBS_SORT) != 0;
}

}  // namespace

HeadlessListControl::HeadlessListControl(Desktop& system, win32::WindowKind kind, int controlId,
                                         DWORD style, win32::NativeWindow* parent, RECT rect)
    : HeadlessWindow(system, kind, controlId, style, parent, rect, {}),
      items_(IsSorted(kind, style)) {}

int HeadlessListControl::AddItem(std::string_view text) {
    const int index = items_.Add(text);
    // The selection stays on the item it was on.
    if (selection_ >= index) {
        ++selection_;
    }
    return index;
}

int HeadlessListControl::DeleteItem(int index) {
    const int left = items_.Delete(index);
    if (left >= 0) {
        if (selection_ == index) {
            selection_ = -1;
        } else if (selection_ > index) {
            --selection_;
        }
    }
    return left;
}

bool HeadlessListControl::ItemText(int index, std::string& text) const {
    auto item = items_.At(index);
    if (!item) {
        return false;
    }
    text = std::move(*item);
    return true;
}

int HeadlessListControl::Select(int index) {
    if (!items_.Contains(index)) {
        // A list box keeps its selection on a bad index; -1 clears it. A combo box clears its
        // selection and edit field either way.
        if (index == -1 || IsCombo()) {
            selection_ = -1;
            if (IsCombo()) {
                SetText("");
            }
        }
        return -1;
    }
    selection_ = index;
    ShowSelectionInEditField();
    return index;
}

bool HeadlessListControl::SelectAsUser(int index) {
    if (!items_.Contains(index)) {
        return false;
    }
    selection_ = index;
    return true;
}

void HeadlessListControl::ShowSelectionInEditField() {
    if (IsCombo() && selection_ >= 0) {
        SetText(*items_.At(selection_));
    }
}

}  // namespace headless
