#include "app/platform/mfc/menu.h"

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

CMenu& MenuModel::Wrapper() {
    if (!wrapper_) {
        wrapper_ = std::make_unique<CMenu>();
        wrapper_->m_hMenu = Handle();
    }
    return *wrapper_;
}

CMenu* CMenu::FromHandle(HMENU handle) {
    MenuModel* menu = MenuModel::FromHandle(handle);
    return menu != nullptr ? &menu->Wrapper() : nullptr;
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR idNewItem, LPCSTR newItem) {
    return ::AppendMenu(m_hMenu, flags, idNewItem, newItem);
}

UINT CMenu::GetMenuItemCount() const {
    const MenuModel* menu = MenuModel::FromHandle(m_hMenu);
    return menu != nullptr ? static_cast<UINT>(menu->Items().size()) : 0;
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
