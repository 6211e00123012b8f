#pragma once
// A small dialog template for the framework tests: every kind of control the viewer uses.

#include "app/platform/mfc/controls.h"
#include "app/platform/win32/dialog_template.h"
#include "app/platform/win32/icon_resource.h"
#include "app/platform/win32/resources.h"

namespace dialog_test {

inline constexpr UINT IDD_TEST = 500;
inline constexpr UINT IDD_CHILD = 501;
inline constexpr UINT IDI_TEST = 510;
inline constexpr int IDC_VIEW = 1000;
inline constexpr int IDC_EDIT = 1002;
inline constexpr int IDC_LIST = 1006;
inline constexpr int IDC_COMBO = 1007;
inline constexpr int IDC_BUTTON = 1008;
inline constexpr int IDC_PLAIN_LIST = 1009;
inline constexpr int IDC_PLAIN_COMBO = 1010;

inline win32::DialogTemplate TestTemplate() {
    win32::DialogTemplate t;
    t.caption = "Test Dialog";
    t.style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    t.rect = {0, 0, 200, 160};
    const DWORD child = WS_CHILD | WS_VISIBLE;
    t.controls = {
        {win32::WindowKind::Button,
         "OK",
         IDOK,
         WS_CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP,
         0,
         {150, 140, 40, 14}},
        {win32::WindowKind::Button,
         "Cancel",
         IDCANCEL,
         WS_CHILD | BS_PUSHBUTTON | WS_TABSTOP,
         0,
         {100, 140, 40, 14}},
        {win32::WindowKind::Static,
         "",
         IDC_VIEW,
         child | SS_BLACKFRAME,
         0,
         {60, 40, 100, 90},
         0,
         true},
        {win32::WindowKind::Button, "", IDC_STATIC, child | BS_GROUPBOX, 0, {4, 0, 190, 36}},
        {win32::WindowKind::Edit,
         "",
         IDC_EDIT,
         child | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP,
         0,
         {8, 8, 80, 12}},
        {win32::WindowKind::ListBox,
         "",
         IDC_LIST,
         child | LBS_NOTIFY | LBS_SORT | WS_VSCROLL | WS_TABSTOP,
         0,
         {4, 68, 48, 80}},
        {win32::WindowKind::ComboBox,
         "",
         IDC_COMBO,
         child | CBS_DROPDOWN | CBS_SORT | WS_TABSTOP,
         0,
         {4, 40, 48, 52}},
        {win32::WindowKind::Button,
         "Reset",
         IDC_BUTTON,
         child | BS_PUSHBUTTON | WS_TABSTOP,
         0,
         {100, 8, 56, 12}},
        {win32::WindowKind::ListBox, "", IDC_PLAIN_LIST, child, 0, {170, 40, 20, 40}},
        {win32::WindowKind::ComboBox,
         "",
         IDC_PLAIN_COMBO,
         child | CBS_DROPDOWNLIST,
         0,
         {170, 90, 20, 40}},
    };
    return t;
}

inline win32::DialogTemplate ChildTemplate() {
    win32::DialogTemplate t;
    t.caption = "Child";
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    t.rect = {0, 0, 100, 40};
    t.controls = {
        {win32::WindowKind::Button,
         "OK",
         IDOK,
         WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP,
         0,
         {40, 20, 50, 14}},
    };
    return t;
}

inline win32::IconImage SolidImage(int size, BYTE colour) {
    win32::IconImage image;
    image.width = size;
    image.height = size;
    image.palette[colour] = 0x00FF8000;
    image.colorIndices.assign(static_cast<std::size_t>(size * size), colour);
    image.transparent.assign(static_cast<std::size_t>(size * size), false);
    return image;
}

inline void RegisterTestResources() {
    win32::RegisterDialogTemplate(IDD_TEST, TestTemplate());
    win32::RegisterDialogTemplate(IDD_CHILD, ChildTemplate());
    win32::RegisterIcon(IDI_TEST, win32::IconResource{{SolidImage(32, 3), SolidImage(16, 3)}});
}

}  // namespace dialog_test
