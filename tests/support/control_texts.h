#pragma once
// What a user reads in a control: its window text, or its list items in order.

#include <string>
#include <vector>

#include "app/platform/mfc/controls.h"

namespace control_texts {

inline std::string Text(const CWnd& window) {
    CString text;
    window.GetWindowText(text);
    return text.GetString();
}

inline std::vector<std::string> Items(const CListBox& list) {
    std::vector<std::string> items;
    for (int index = 0; index < list.GetCount(); ++index) {
        CString text;
        list.GetText(index, text);
        items.emplace_back(text.GetString());
    }
    return items;
}

inline std::vector<std::string> Items(const CComboBox& combo) {
    std::vector<std::string> items;
    for (int index = 0; index < combo.GetCount(); ++index) {
        CString text;
        combo.GetLBText(index, text);
        items.emplace_back(text.GetString());
    }
    return items;
}

}  // namespace control_texts
