#pragma once
// A menu as data: its items in order. A window owns its system menu; the backend shows it.

#include <memory>
#include <string>
#include <vector>

#include "app/platform/win32/win_types.h"

class CMenu;

inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_BYCOMMAND = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_CHECKED = 0x0008;
inline constexpr UINT MF_POPUP = 0x0010;
inline constexpr UINT MF_SEPARATOR = 0x0800;

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

    // The CMenu that CMenu::FromHandle hands out for this menu.
    CMenu& Wrapper();

private:
    std::vector<MenuItem> items_;
    std::unique_ptr<CMenu> wrapper_;
};
