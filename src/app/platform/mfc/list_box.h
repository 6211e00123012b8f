#pragma once
// MFC's CListBox: a list box driven by LB_ messages. With LBS_SORT it keeps its items in the
// order of item_collation.h; selections made by the program are not notified.

#include "app/platform/mfc/cstring.h"
#include "app/platform/mfc/cwnd.h"

class CListBox : public CWnd {
public:
    // Adds an item (sorted or at the end); returns its index, LB_ERR without a window.
    int AddString(LPCSTR text);
    // Returns the number of items left, or LB_ERR when there is no item at index.
    int DeleteString(UINT index);
    int GetCount() const;
    // The selected item's index, or LB_ERR when none is selected.
    int GetCurSel() const;
    // Selects an item without notifying; -1 clears. LB_ERR for -1 and for a missing item.
    int SetCurSel(int index);
    // The item's text; an empty string (and LB_ERR from the int form) when there is no such item.
    void GetText(int index, CString& text) const;
};
