#pragma once
// A menu as data: its items in order. A window owns its system menu; the backend shows it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/platform/win32/win_types.h"

inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_BYCOMMAND = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_CHECKED = 0x0008;
inline constexpr UINT MF_POPUP = 0x0010;
inline constexpr UINT MF_SEPARATOR = 0x0800;

using UINT_PTR = std::uintptr_t;

namespace win32 {

// What CMenu::FromHandle hands out for a menu: MFC's CMenu, kept by the menu.
class MenuWrapper {
public:
    virtual ~MenuWrapper() = default;
};

struct MenuItem {
    UINT flags = MF_STRING;
    UINT command = 0;
    std::string text;  // "&" marks the mnemonic; "\t" precedes an accelerator's name

    bool IsSeparator() const { return (flags & MF_SEPARATOR) != 0; }
    bool IsEnabled() const { return (flags & (MF_GRAYED | MF_DISABLED)) == 0; }
};

class MenuModel {
public:
    MenuModel();
    ~MenuModel();
    MenuModel(const MenuModel&) = delete;
    MenuModel& operator=(const MenuModel&) = delete;

    // The live menu a handle names, or null.
    static MenuModel* FromHandle(HMENU handle);
    HMENU Handle() const;

    const std::vector<MenuItem>& Items() const { return items_; }
    void Append(MenuItem item) { items_.push_back(std::move(item)); }
    void Clear() { items_.clear(); }

    // The object CMenu::FromHandle hands out for this menu, made by it on first use.
    MenuWrapper* Wrapper() const { return wrapper_.get(); }
    void SetWrapper(std::unique_ptr<MenuWrapper> wrapper) { wrapper_ = std::move(wrapper); }

private:
    std::vector<MenuItem> items_;
    std::unique_ptr<MenuWrapper> wrapper_;
};

}  // namespace win32

// The window's menu (a dialog's system menu), or null; with bRevert its default items come back
// and the result is null.
HMENU GetSystemMenu(HWND window, BOOL bRevert);
// Appends an item: MF_SEPARATOR ignores id and text; MF_STRING needs text. FALSE when the menu is
// gone or a string item has no text.
BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCSTR newItem);
