#include "app/platform/mfc/menu.h"

#include <memory>

CMenu* CMenu::FromHandle(HMENU handle) {
    win32::MenuModel* menu = win32::MenuModel::FromHandle(handle);
    if (menu == nullptr) {
        return nullptr;
    }
    if (menu->Wrapper() == nullptr) {
        auto wrapper = std::make_unique<CMenu>();
        wrapper->m_hMenu = handle;
        menu->SetWrapper(std::move(wrapper));
    }
    return static_cast<CMenu*>(menu->Wrapper());
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR idNewItem, LPCSTR newItem) {
    return ::AppendMenu(m_hMenu, flags, idNewItem, newItem);
}

UINT CMenu::GetMenuItemCount() const {
    const win32::MenuModel* menu = win32::MenuModel::FromHandle(m_hMenu);
    return menu != nullptr ? static_cast<UINT>(menu->Items().size()) : 0;
}
