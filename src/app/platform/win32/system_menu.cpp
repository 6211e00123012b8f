#include "app/platform/win32/system_menu.h"

#include "app/platform/win32/window_messages.h"
#include "app/platform/win32/window_styles.h"

namespace win32 {

void FillDefaultSystemMenu(MenuModel& menu, DWORD style) {
    menu.Clear();
    // Moving and sizing are the window manager's; only commands we can carry out are offered.
    if ((style & WS_MINIMIZEBOX) != 0 && (style & WS_CHILD) == 0) {
        menu.Append(MenuItem{MF_STRING, SC_RESTORE, "&Restore"});
        menu.Append(MenuItem{MF_STRING, SC_MINIMIZE, "Mi&nimize"});
        menu.Append(MenuItem{MF_SEPARATOR, 0, {}});
    }
    menu.Append(MenuItem{MF_STRING, SC_CLOSE, "&Close\tAlt+F4"});
}

}  // namespace win32
