#pragma once
// The window menu a dialog starts with: the platform commands it can carry out.

#include "app/platform/menu_model.h"
#include "app/platform/win_types.h"

// Fills menu with the default window-menu items for a window of the given style.
void FillDefaultSystemMenu(MenuModel& menu, DWORD style);
