#include "ui/resource_script.h"

#include <windows.h>
#include "ui/app_icon.h"
#include "ui/dialog_templates.h"
#include "ui/resource_ids.h"

void RegisterViewerResources() {
    RegisterDialogTemplate(IDD_VIEWER, ViewerDialogTemplate());
    RegisterDialogTemplate(IDD_ABOUT, AboutDialogTemplate());
    SetResourceString(IDS_ABOUT_MENU, AboutMenuText);
    RegisterIcon(IDI_APP, AppIcon());
}
