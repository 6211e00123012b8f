#pragma once
// The window menu a dialog starts with: the platform commands it can carry out.

#include <memory>

#include "app/platform/win32/menu_model.h"
#include "app/platform/win32/win_types.h"
#include "app/platform/win32/window_styles.h"

namespace win32 {

// Fills menu with the default window-menu items for a window of the given style.
void FillDefaultSystemMenu(MenuModel& menu, DWORD style);

// A dialog's own copy of the window menu, made on first use; both backends keep one.
class DialogSystemMenu {
public:
    // Null for a window without WS_SYSMENU.
    MenuModel* Get(DWORD style) {
        if ((style & WS_SYSMENU) == 0) {
            return nullptr;
        }
        if (!menu_) {
            menu_ = std::make_unique<MenuModel>();
            FillDefaultSystemMenu(*menu_, style);
        }
        return menu_.get();
    }

    // Back to the default items.
    void Revert(DWORD style) {
        if (menu_) {
            FillDefaultSystemMenu(*menu_, style);
        }
    }

private:
    std::unique_ptr<MenuModel> menu_;
};

}  // namespace win32
