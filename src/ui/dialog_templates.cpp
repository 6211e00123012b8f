#include "ui/dialog_templates.h"

#include <afxwin.h>
#include "ui/resource_ids.h"

namespace {

win32::DialogFont SansSerif8() {
    win32::DialogFont font;
    font.face = "MS Sans Serif";
    font.pointSize = 8;
    font.weight = FW_DONTCARE;
    font.italic = false;
    font.charset = DEFAULT_CHARSET;
    return font;
}

win32::DialogControlTemplate Control(win32::WindowKind kind, int id, const char* text, DWORD style,
                                     win32::DialogRect rect) {
    win32::DialogControlTemplate control;
    control.kind = kind;
    control.id = id;
    control.text = text;
    control.style = WS_CHILD | style;
    control.rect = rect;
    return control;
}

}  // namespace

win32::DialogTemplate ViewerDialogTemplate() {
    win32::DialogTemplate dialog;
    dialog.caption = "Velmora Explorer v0.1";
    dialog.style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    dialog.exStyle = WS_EX_APPWINDOW;
    // Position 0, 0: the dialog framework centres it.
    dialog.rect = {0, 0, 524, 508};
    dialog.font = SansSerif8();

    win32::DialogControlTemplate viewport = Control(win32::WindowKind::Static, IDC_VIEWPORT, "",
                                                    WS_VISIBLE | SS_BLACKFRAME, {56, 40, 464, 464});
    // The Direct3D output is presented into this control. Without SS_NOTIFY it takes no mouse
    // input, so moves over it reach the dialog's navigation handlers.
    viewport.renderTarget = true;

    dialog.controls = {
        // Hidden; as the default button it gives the Enter key its IDOK command.
        Control(win32::WindowKind::Button, IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP,
                {468, 468, 50, 14}),
        Control(win32::WindowKind::Button, IDCANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP,
                {464, 488, 50, 14}),
        viewport,
        Control(win32::WindowKind::Button, IDC_STATIC, "", WS_VISIBLE | BS_GROUPBOX,
                {4, 0, 516, 36}),
        Control(win32::WindowKind::Static, IDC_STATIC, "Camera Angle",
                WS_VISIBLE | SS_RIGHT | WS_GROUP, {8, 10, 56, 8}),
        Control(win32::WindowKind::Static, IDC_STATIC, "Camera Location",
                WS_VISIBLE | SS_RIGHT | WS_GROUP, {8, 22, 56, 8}),
        Control(win32::WindowKind::Edit, IDC_ANGLE_EDIT, "",
                WS_VISIBLE | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, {68, 8, 80, 12}),
        Control(win32::WindowKind::Edit, IDC_LOCATION_EDIT, "",
                WS_VISIBLE | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, {68, 20, 136, 12}),
        Control(win32::WindowKind::ListBox, IDC_SECTOR_LIST, "",
                WS_VISIBLE | LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER |
                    WS_TABSTOP,
                {4, 68, 48, 436}),
        Control(win32::WindowKind::Static, IDC_STATIC, "Sector",
                WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN | WS_GROUP, {4, 56, 48, 12}),
        // The height includes the dropped list.
        Control(win32::WindowKind::ComboBox, IDC_WORLD_COMBO, "",
                WS_VISIBLE | CBS_DROPDOWN | CBS_SORT | WS_VSCROLL | WS_TABSTOP, {4, 40, 48, 52}),
        Control(win32::WindowKind::Button, IDC_RESET_CAMERA, "Reset Camera",
                WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP, {148, 8, 56, 12}),
    };
    return dialog;
}

win32::DialogTemplate AboutDialogTemplate() {
    win32::DialogTemplate dialog;
    dialog.caption = "About VelmoraExplorer";
    dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    // Position 0, 0: centred over the viewer when it opens.
    dialog.rect = {0, 0, 235, 55};
    dialog.font = SansSerif8();

    win32::DialogControlTemplate icon =
        Control(win32::WindowKind::Static, IDC_STATIC, "", WS_VISIBLE | SS_ICON, {11, 17, 20, 20});
    icon.iconId = IDI_APP;

    dialog.controls = {
        icon,
        Control(win32::WindowKind::Static, IDC_STATIC, "Velmora Explorer Version 1.0",
                WS_VISIBLE | SS_LEFT | SS_NOPREFIX | WS_GROUP, {40, 10, 119, 8}),
        Control(win32::WindowKind::Button, IDOK, "OK",
                WS_VISIBLE | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, {178, 7, 50, 14}),
    };
    return dialog;
}
