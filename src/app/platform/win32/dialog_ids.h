#pragma once
// The platform's standard command identifiers and the identifier of unaddressed controls.

#include "app/platform/win32/win_types.h"

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr int IDC_STATIC = -1;
inline constexpr UINT ID_HELP = 0xE146;
