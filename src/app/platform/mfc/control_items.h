#pragma once
// The items of a list or combo box in the order the control shows them, as plain strings: what a
// user reads in the control. Shared by the command line, which answers what the viewer would
// list, and by the tests.

#include <string>
#include <vector>

#include "app/platform/mfc/controls.h"

namespace mfc {

inline std::vector<std::string> ControlItems(const CListBox& list) {
    std::vector<std::string> items;
    for (int index = 0; index < list.GetCount(); ++index) {
        CString text;
        list.GetText(index, text);
        items.emplace_back(text.GetString());
    }
    return items;
}

inline std::vector<std::string> ControlItems(const CComboBox& combo) {
    std::vector<std::string> items;
    for (int index = 0; index < combo.GetCount(); ++index) {
        CString text;
        combo.GetLBText(index, text);
        items.emplace_back(text.GetString());
    }
    return items;
}

}  // namespace mfc
