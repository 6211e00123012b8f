#include "app/platform/win32/icon_functions.h"

#include "app/platform/win32/device_context.h"
#include "app/platform/win32/resources.h"

HICON LoadIcon(HINSTANCE, UINT id) {
    return win32::FindIcon(id);
}

BOOL DrawIcon(HDC context, int x, int y, HICON icon) {
    win32::DeviceContext* target = win32::DeviceContext::FromHandle(context);
    const win32::IconResource* resource = win32::IconFromHandle(icon);
    if (target == nullptr || resource == nullptr) {
        return FALSE;
    }
    const win32::IconImage* image =
        resource->ImageFor(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    if (image == nullptr) {
        return FALSE;
    }
    target->DrawIcon(x, y, *image);
    return TRUE;
}

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXICON:
        case SM_CYICON:
            return 32;
        case SM_CXSMICON:
        case SM_CYSMICON:
            return 16;
        default:
            return 0;
    }
}
