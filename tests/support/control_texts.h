#pragma once
// What a user reads in a control: its window text (its items: mfc::ControlItems, from <afxwin.h>).

#include <string>
#include <vector>

#include <afxwin.h>

namespace control_texts {

inline std::string Text(const CWnd& window) {
    CString text;
    window.GetWindowText(text);
    return text.GetString();
}

}  // namespace control_texts
