#pragma once
// AfxMessageBox: a modal message box captioned with the application's name.

#include "app/platform/mfc/cstring.h"
#include "app/platform/win32/message_box_styles.h"
#include "app/platform/win32/win_types.h"

// Shows text in a modal box; returns the button chosen (IDOK for MB_OK).
int AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT helpId = 0);
// Shows the string resource `promptId`.
int AfxMessageBox(UINT promptId, UINT type = MB_OK, UINT helpId = 0);
