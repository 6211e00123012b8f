#pragma once
// The dialog controls and the messages, notifications and styles they use.

#include "app/platform/mfc/combo_box.h"
#include "app/platform/mfc/list_box.h"
#include "app/platform/mfc/simple_controls.h"
#include "app/platform/win32/dialog_ids.h"
#include "app/platform/win32/window_messages.h"
#include "app/platform/win32/window_styles.h"
