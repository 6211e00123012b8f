#pragma once
// A dialog template as data (what a DIALOGEX resource holds): everything in dialog units.

#include <string>
#include <vector>

#include "app/platform/win32/native_window.h"
#include "app/platform/win32/win_types.h"

namespace win32 {

// x, y, width, height in dialog units.
struct DialogRect {
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
};

struct DialogFont {
    std::string face = "MS Sans Serif";
    int pointSize = 8;
    int weight = 0;
    bool italic = false;
    BYTE charset = 1;  // DEFAULT_CHARSET
};

struct DialogControlTemplate {
    WindowKind kind = WindowKind::Static;
    std::string text;
    int id = -1;
    DWORD style = 0;  // WS_CHILD and WS_VISIBLE included as the resource script gives them
    DWORD exStyle = 0;
    DialogRect rect;
    UINT iconId = 0;            // the icon an SS_ICON static shows
    bool renderTarget = false;  // a static that the graphics layer presents into
};

struct DialogTemplate {
    std::string caption;
    DWORD style = 0;
    DWORD exStyle = 0;
    DialogRect rect;  // position 0, 0 centres the dialog
    DialogFont font;
    // Creation order, which is also the tab order.
    std::vector<DialogControlTemplate> controls;
};

}  // namespace win32
