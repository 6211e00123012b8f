#include "app/platform/win32/icon_functions.h"

#include "app/platform/win32/device_context.h"
#include "app/platform/win32/resources.h"

HICON LoadIcon(HINSTANCE, UINT id) {
    return FindIcon(id);
}

BOOL DrawIcon(HDC context, int x, int y, HICON icon) {
    DeviceContext* target = DeviceContext::FromHandle(context);
    const IconResource* resource = IconFromHandle(icon);
    if (target == nullptr || resource == nullptr) {
        return FALSE;
    }
    const IconImage* image =
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
