#pragma once
// IDI_APP, the application icon: a 32 x 32 and a 16 x 16 image in the 16 standard colours, and
// the same picture redrawn at 48 to 256 pixels as PNG.

#include <windows.h>

win32::IconResource AppIcon();
