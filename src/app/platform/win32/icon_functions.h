#pragma once
// LoadIcon, DrawIcon and the icon sizes of GetSystemMetrics.

#include "app/platform/win32/win_types.h"

inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
inline constexpr int SM_CXSMICON = 49;
inline constexpr int SM_CYSMICON = 50;

// The registered icon `id` (resources.h), or null. There is one resource module, so the instance
// handle is not consulted.
HICON LoadIcon(HINSTANCE instance, UINT id);
// Draws the icon's SM_CXICON x SM_CYICON image (or its largest) at (x, y). FALSE for a device
// context or icon handle that names nothing.
BOOL DrawIcon(HDC context, int x, int y, HICON icon);
// Icon sizes as Windows reports them (32 and 16); 0 for any other metric.
int GetSystemMetrics(int index);
