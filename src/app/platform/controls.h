#pragma once
// The dialog controls and the messages, notifications and styles they use.

#include "app/platform/combo_box.h"
#include "app/platform/dialog_ids.h"
#include "app/platform/list_box.h"
#include "app/platform/simple_controls.h"
#include "app/platform/window_messages.h"
#include "app/platform/window_styles.h"
