#pragma once
// MFC's window classes: the application object, CWnd, CDialog and its controls, message maps,
// menus, painting and AfxMessageBox; and mfc::ControlItems, a list's items as strings.

#include <afx.h>

#include "app/platform/mfc/cmd_target.h"
#include "app/platform/mfc/control_items.h"
#include "app/platform/mfc/controls.h"
#include "app/platform/mfc/cpoint.h"
#include "app/platform/mfc/crect.h"
#include "app/platform/mfc/cwnd.h"
#include "app/platform/mfc/dialog.h"
#include "app/platform/mfc/menu.h"
#include "app/platform/mfc/message_box.h"
#include "app/platform/mfc/message_map.h"
#include "app/platform/mfc/paint_dc.h"
#include "app/platform/mfc/win_app.h"
