#pragma once
// An in-memory list box or combo box: its items (sorted with LBS_SORT / CBS_SORT), its selection
// and, for a combo box, the text of its edit field.

#include "app/platform/headless/headless_window.h"
#include "app/platform/win32/item_list.h"

namespace headless {

class HeadlessListControl : public HeadlessWindow, public win32::NativeListControl {
public:
    HeadlessListControl(Desktop& system, win32::WindowKind kind, int controlId, DWORD style,
                        win32::NativeWindow* parent, RECT rect);

    win32::NativeListControl* List() override { return this; }

    int AddItem(std::string_view text) override;
    int DeleteItem(int index) override;
    int ItemCount() const override { return items_.Count(); }
    bool ItemText(int index, std::string& text) const override;
    int Selection() const override { return selection_; }
    int Select(int index) override;

    // What a user's choice does: select index (without touching the edit field, which a combo box
    // updates only after its notification). False when index names no item.
    bool SelectAsUser(int index);
    // A combo box shows the selected item's text in its edit field.
    void ShowSelectionInEditField();

private:
    bool IsCombo() const { return Kind() == win32::WindowKind::ComboBox; }

    win32::ItemList items_;
    int selection_ = -1;
};

}  // namespace headless
