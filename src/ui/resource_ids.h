#pragma once
// The identifiers of the viewer's resources: dialog templates, strings, the icon, the system-menu
// command and the dialog controls. IDOK, IDCANCEL and IDC_STATIC (-1) are the platform's.

#include <windows.h>

inline constexpr UINT IDD_ABOUT = 100;
inline constexpr UINT IDS_ABOUT_MENU = 101;
inline constexpr UINT IDD_VIEWER = 102;
inline constexpr UINT IDI_APP = 128;

// The About entry of the system menu; the platform's own commands keep the low four bits.
inline constexpr UINT IDM_ABOUT = 0x0010;

inline constexpr int IDC_VIEWPORT = 1000;
inline constexpr int IDC_ANGLE_EDIT = 1002;
inline constexpr int IDC_LOCATION_EDIT = 1003;
inline constexpr int IDC_SECTOR_LIST = 1006;
inline constexpr int IDC_WORLD_COMBO = 1007;
inline constexpr int IDC_RESET_CAMERA = 1008;
