#pragma once
// The platform's default handling of a message (what DefWindowProc and DefDlgProc do), including
// the built-in behaviour of list boxes and combo boxes for their LB_ and CB_ messages.

#include "app/platform/win32/native_window.h"
#include "app/platform/win32/win_types.h"

LRESULT DefaultWindowProcedure(NativeWindow& window, UINT message, WPARAM wParam, LPARAM lParam);
