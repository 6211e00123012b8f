#include "app/platform/win32/menu_model.h"

#include <unordered_set>

#include "app/platform/win32/native_window.h"

namespace win32 {

namespace {

std::unordered_set<const MenuModel*>& LiveMenus() {
    static std::unordered_set<const MenuModel*> menus;
    return menus;
}

}  // namespace

MenuModel::MenuModel() {
    LiveMenus().insert(this);
}

MenuModel::~MenuModel() {
    LiveMenus().erase(this);
}

MenuModel* MenuModel::FromHandle(HMENU handle) {
    auto* menu = reinterpret_cast<MenuModel*>(handle);
    return LiveMenus().contains(menu) ? menu : nullptr;
}

HMENU MenuModel::Handle() const {
    return reinterpret_cast<HMENU>(const_cast<MenuModel*>(this));
}

}  // namespace win32

HMENU GetSystemMenu(HWND window, BOOL bRevert) {
    win32::NativeWindow* native = win32::NativeWindow::FromHandle(window);
    if (native == nullptr) {
        return nullptr;
    }
    if (bRevert) {
        native->RevertSystemMenu();
        return nullptr;
    }
    win32::MenuModel* menu = native->SystemMenu();
    return menu != nullptr ? menu->Handle() : nullptr;
}

BOOL AppendMenu(HMENU handle, UINT flags, UINT_PTR idNewItem, LPCSTR newItem) {
    win32::MenuModel* menu = win32::MenuModel::FromHandle(handle);
    if (menu == nullptr) {
        return FALSE;
    }
    if ((flags & MF_SEPARATOR) != 0) {
        menu->Append(win32::MenuItem{flags, 0, {}});
        return TRUE;
    }
    if (newItem == nullptr) {
        return FALSE;
    }
    menu->Append(win32::MenuItem{flags, static_cast<UINT>(idNewItem), newItem});
    return TRUE;
}
