#pragma once
// A list box or combo box on wx. The items are inserted at the index our collation gives (wx's
// own sorting follows the locale and insertion order), and kept in a mirror list so that every
// backend reports the same texts and indices.

#include "app/platform/win32/item_list.h"
#include "app/platform/wx/wx_control_window.h"

// wx after our headers: it defines TRUE and FALSE as macros.
#include <wx/ctrlsub.h>

namespace wx {

class WxListControl : public WxControlWindow, public win32::NativeListControl {
public:
    WxListControl(WxWindowRegistry& windows, wxWindow* window, wxItemContainer& items,
                  win32::WindowKind kind, int controlId, DWORD style, win32::NativeWindow* parent);

    win32::NativeListControl* List() override { return this; }

    int AddItem(std::string_view text) override;
    int DeleteItem(int index) override;
    int ItemCount() const override { return mirror_.Count(); }
    bool ItemText(int index, std::string& text) const override;
    int Selection() const override;
    int Select(int index) override;

private:
    bool IsCombo() const { return Kind() == win32::WindowKind::ComboBox; }

    wxItemContainer& items_;
    win32::ItemList mirror_;
};

}  // namespace wx
