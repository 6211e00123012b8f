#pragma once
// MFC's CMenu over a menu handle.

#include "app/platform/win32/menu_model.h"
#include "app/platform/win32/win_types.h"

class CMenu : public win32::MenuWrapper {
public:
    CMenu() = default;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;

    // The CMenu of a live menu (owned by the menu), or null.
    static CMenu* FromHandle(HMENU handle);
    HMENU GetSafeHmenu() const { return m_hMenu; }

    // Appends an item: MF_SEPARATOR ignores id and text; MF_STRING needs text. FALSE when the menu
    // is gone or a string item has no text.
    BOOL AppendMenu(UINT flags, UINT_PTR idNewItem = 0, LPCSTR newItem = nullptr);
    UINT GetMenuItemCount() const;
};
