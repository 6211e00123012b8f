#include <string>

#include "app/platform/mfc/combo_box.h"
#include "app/platform/mfc/list_box.h"
#include "app/platform/win32/native_window.h"

namespace {

std::intptr_t Index(int index) {
    return index;
}

LPARAM TextArgument(LPCSTR text) {
    return reinterpret_cast<LPARAM>(text != nullptr ? text : "");
}

// Reads an item's text straight from the control: no caller buffer to overrun.
int ReadItem(HWND window, int index, CString& text) {
    win32::NativeWindow* native = win32::NativeWindow::FromHandle(window);
    win32::NativeListControl* list = native != nullptr ? native->List() : nullptr;
    std::string item;
    if (list == nullptr || !list->ItemText(index, item)) {
        text.Empty();
        return LB_ERR;
    }
    text = CString(item);
    return static_cast<int>(item.size());
}

int Result(LRESULT result) {
    return static_cast<int>(result);
}

}  // namespace

// Without a window (not yet bound, or already destroyed) every call reports LB_ERR / CB_ERR or an
// empty result instead of touching anything.

int CListBox::AddString(LPCSTR text) {
    return m_hWnd ? Result(SendMessage(LB_ADDSTRING, 0, TextArgument(text))) : LB_ERR;
}
int CListBox::DeleteString(UINT index) {
    return m_hWnd ? Result(SendMessage(LB_DELETESTRING, index)) : LB_ERR;
}
int CListBox::GetCount() const {
    return m_hWnd ? Result(::SendMessage(m_hWnd, LB_GETCOUNT)) : 0;
}
int CListBox::GetCurSel() const {
    return m_hWnd ? Result(::SendMessage(m_hWnd, LB_GETCURSEL)) : LB_ERR;
}
int CListBox::SetCurSel(int index) {
    return m_hWnd ? Result(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(Index(index)))) : LB_ERR;
}
void CListBox::GetText(int index, CString& text) const {
    ReadItem(m_hWnd, index, text);
}

int CComboBox::AddString(LPCSTR text) {
    return m_hWnd ? Result(SendMessage(CB_ADDSTRING, 0, TextArgument(text))) : CB_ERR;
}
int CComboBox::DeleteString(UINT index) {
    return m_hWnd ? Result(SendMessage(CB_DELETESTRING, index)) : CB_ERR;
}
int CComboBox::GetCount() const {
    return m_hWnd ? Result(::SendMessage(m_hWnd, CB_GETCOUNT)) : 0;
}
int CComboBox::GetCurSel() const {
    return m_hWnd ? Result(::SendMessage(m_hWnd, CB_GETCURSEL)) : CB_ERR;
}
int CComboBox::SetCurSel(int index) {
    return m_hWnd ? Result(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(Index(index)))) : CB_ERR;
}
void CComboBox::GetLBText(int index, CString& text) const {
    ReadItem(m_hWnd, index, text);
}
