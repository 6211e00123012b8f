#pragma once
// The viewer's two dialog templates as the resource script declares them, in dialog units.

#include <windows.h>

// IDD_VIEWER: the main window. Controls in template order, which is also the tab order.
win32::DialogTemplate ViewerDialogTemplate();

// IDD_ABOUT: the About box.
win32::DialogTemplate AboutDialogTemplate();
