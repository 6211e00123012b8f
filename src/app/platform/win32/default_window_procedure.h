#pragma once
// The platform's default handling of a message (what DefWindowProc and DefDlgProc do), including
// the built-in behaviour of list boxes and combo boxes for their LB_ and CB_ messages.

#include "app/platform/win32/native_window.h"
#include "app/platform/win32/win_types.h"

namespace win32 {

LRESULT DefaultWindowProcedure(NativeWindow& window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace win32

// Sends a message to a window: to what is attached to it, else to the default handling. 0 for a
// handle that names no live window.
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// The platform's default handling of a message (DefWindowProc / DefDlgProc).
LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
