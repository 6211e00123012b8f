#pragma once
// The viewer's resource module: what the resource script compiles into the executable.

#include <windows.h>

// The text of the system-menu entry IDS_ABOUT_MENU.
inline constexpr const char* AboutMenuText = "&About KVX...";

// Registers the templates IDD_VIEWER and IDD_ABOUT, the string IDS_ABOUT_MENU and the icon IDI_APP
// with the dialog framework. Runs before anything loads them.
void RegisterViewerResources();
