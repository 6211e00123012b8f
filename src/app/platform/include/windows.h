#pragma once
// The Windows API as the program sees it: types, messages, styles, standard ids, the registry,
// resources, icons and file attributes, with the SDK's names and values.

#include "app/platform/win32/dialog_ids.h"
#include "app/platform/win32/dialog_template.h"
#include "app/platform/win32/icon_functions.h"
#include "app/platform/win32/icon_resource.h"
#include "app/platform/win32/message_box_styles.h"
#include "app/platform/win32/registry.h"
#include "app/platform/win32/resources.h"
#include "app/platform/win32/string_table.h"
#include "app/platform/win32/win_types.h"
#include "app/platform/win32/window_messages.h"
#include "app/platform/win32/window_styles.h"
#include "app/platform/wine/file_attributes.h"
