#include "app/platform/win32/menu_model.h"

#include <unordered_set>

#include "app/platform/win32/native_window.h"

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

HMENU GetSystemMenu(HWND window, BOOL bRevert) {
    NativeWindow* native = NativeWindow::FromHandle(window);
    if (native == nullptr) {
        return nullptr;
    }
    if (bRevert) {
        native->RevertSystemMenu();
        return nullptr;
    }
    MenuModel* menu = native->SystemMenu();
    return menu != nullptr ? menu->Handle() : nullptr;
}

BOOL AppendMenu(HMENU handle, UINT flags, UINT_PTR idNewItem, LPCSTR newItem) {
    MenuModel* menu = MenuModel::FromHandle(handle);
    if (menu == nullptr) {
        return FALSE;
    }
    if ((flags & MF_SEPARATOR) != 0) {
        menu->Append(MenuItem{flags, 0, {}});
        return TRUE;
    }
    if (newItem == nullptr) {
        return FALSE;
    }
    menu->Append(MenuItem{flags, static_cast<UINT>(idNewItem), newItem});
    return TRUE;
}
