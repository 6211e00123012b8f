#include "ui/resource_script.h"

#include <windows.h>
#include "ui/app_icon.h"
#include "ui/dialog_templates.h"
#include "ui/resource_ids.h"

void RegisterViewerResources() {
    win32::RegisterDialogTemplate(IDD_VIEWER, ViewerDialogTemplate());
    win32::RegisterDialogTemplate(IDD_ABOUT, AboutDialogTemplate());
    win32::SetResourceString(IDS_ABOUT_MENU, AboutMenuText);
    win32::RegisterIcon(IDI_APP, AppIcon());
}
