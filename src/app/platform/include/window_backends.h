#pragma once
// The window systems a program's entry point puts in place before it runs the application object
// (what the SDK leaves to the system): wx for real windows, headless for none.

#include "app/platform/headless/headless_window_system.h"
#include "app/platform/win32/native_window.h"
#include "app/platform/win32/window_system.h"
#include "app/platform/wx/wx_window_system.h"
