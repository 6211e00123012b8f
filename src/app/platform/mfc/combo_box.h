#pragma once
// MFC's CComboBox: an edit field with a list, driven by CB_ messages. With CBS_SORT the list is
// kept in the order of item_collation.h. The window text is the edit field's text; selecting an
// item (by program or by the user) puts that item's text there. Selections made by the program
// are not notified.

#include "app/platform/mfc/cstring.h"
#include "app/platform/mfc/cwnd.h"

class CComboBox : public CWnd {
public:
    int AddString(LPCSTR text);
    // Returns the number of items left, or CB_ERR when there is no item at index.
    int DeleteString(UINT index);
    int GetCount() const;
    int GetCurSel() const;
    // Selects an item and shows its text in the edit field; -1 or a missing item clears the
    // selection and the edit field and returns CB_ERR.
    int SetCurSel(int index);
    void GetLBText(int index, CString& text) const;
};
