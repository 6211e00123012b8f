#include "app/platform/wx/wx_dialog_fit.h"

#include "app/platform/wx/wx_window_frame.h"

#include <algorithm>
#include <cmath>
#include <optional>

// wx after our headers: it defines TRUE and FALSE as macros.
#include <wx/display.h>
#include <wx/font.h>
#include <wx/toplevel.h>

namespace wx {

namespace {

wxFont SansOfPoints(int points) {
    return wxFont(wxFontInfo(points).Family(wxFONTFAMILY_SWISS));
}

// Pixels per inch at which the desktop renders text (its DPI with any text scaling): a face at
// 72 points against the same face 100 pixels high, both measured by their line height.
double TextResolution(const wxWindow& window, const wxFont& face) {
    wxFont inch(face);
    inch.SetPointSize(72);
    wxFont hundredPixels(face);
    if (!hundredPixels.SetNativeFontInfo(face.GetFaceName() + " 100px")) {
        return 96;
    }
    int width = 0;
    int inchHeight = 0;
    int hundredHeight = 0;
    window.GetTextExtent("Xg", &width, &inchHeight, nullptr, nullptr, &inch);
    window.GetTextExtent("Xg", &width, &hundredHeight, nullptr, nullptr, &hundredPixels);
    return hundredHeight > 0 ? 100.0 * inchHeight / hundredHeight : 96;
}

// The same face with an em of `pixels` (converted to points, which wx passes on to the controls).
wxFont FaceOfPixels(const wxFont& face, int pixels, double resolution) {
    wxFont font(face);
    font.SetFractionalPointSize(pixels * 72.0 / resolution);
    return font;
}

// The base units come from the top-level window's font, so the font is set before measuring.
win32::BaseUnits MeasureBaseUnits(wxTopLevelWindow& dialog, const wxFont& font) {
    dialog.SetFont(font);
    const wxSize base = dialog.ConvertDialogToPixels(wxSize(4, 8));
    return win32::BaseUnits{static_cast<double>(base.x), static_cast<double>(base.y)};
}

// The work area (the monitor without panels and docks) where the dialog opens: that of its owner
// if it has one.
wxRect DialogWorkArea(const wxTopLevelWindow& dialog, const wxWindow* owner) {
    int display = owner != nullptr ? wxDisplay::GetFromWindow(owner) : wxNOT_FOUND;
    if (display == wxNOT_FOUND) {
        display = wxDisplay::GetFromWindow(&dialog);
    }
    return wxDisplay(static_cast<unsigned>(display == wxNOT_FOUND ? 0 : display)).GetClientArea();
}

// The frame around the dialog's client area: wx's figure once it knows one, else the window
// manager's; nothing without a window manager.
wxSize DialogFrame(const wxTopLevelWindow& dialog) {
    const wxSize known = dialog.GetSize() - dialog.GetClientSize();
    if (known.x > 0 || known.y > 0) {
        return known;
    }
    // wx learns the frame only when its first window is shown, so the window manager is asked.
    const std::optional<WindowFrame> frame = DialogWindowFrame();
    if (!frame) {
        return known;
    }
    // The window manager counts the X server's pixels; wx counts GTK's, GDK_SCALE of those.
    const double scale = std::max(dialog.GetContentScaleFactor(), 1.0);
    return wxSize(static_cast<int>(std::ceil((frame->left + frame->right) / scale)),
                  static_cast<int>(std::ceil((frame->top + frame->bottom) / scale)));
}

}  // namespace

DialogPlacement FitDialogFont(wxTopLevelWindow& dialog, const win32::DialogTemplate& dialogTemplate,
                              const wxWindow* owner) {
    const int points = dialogTemplate.font.pointSize > 0 ? dialogTemplate.font.pointSize : 8;
    const wxFont templateFont = SansOfPoints(points);
    const win32::BaseUnits natural = MeasureBaseUnits(dialog, templateFont);
    const SIZE units{dialogTemplate.rect.cx, dialogTemplate.rect.cy};

    const wxSize client(win32::DialogUnitsToPixels(units.cx, natural.width, 4),
                        win32::DialogUnitsToPixels(units.cy, natural.height, 8));
    dialog.SetClientSize(client);
    DialogPlacement placement{{natural, true}, DialogFrame(dialog), DialogWorkArea(dialog, owner)};
    const SIZE room{placement.workArea.width - placement.frame.x,
                    placement.workArea.height - placement.frame.y};
    if (client.x <= room.cx && client.y <= room.cy) {
        return placement;
    }
    const double resolution = TextResolution(dialog, templateFont);
    // The smallest font only matters once the template's does not fit.
    const wxFont smallestFont = FaceOfPixels(templateFont, SmallestDialogFontPixels, resolution);
    placement.fit =
        win32::FitDialogToRoom(units, natural, MeasureBaseUnits(dialog, smallestFont), room);
    const win32::BaseUnits& fitted = placement.fit.baseUnits;
    // The dialog keeps the font measured last. A font's line is taller than its size, so no font
    // larger than the base height is shorter.
    for (int pixels = static_cast<int>(std::ceil(natural.height));
         pixels > SmallestDialogFontPixels; --pixels) {
        const win32::BaseUnits base =
            MeasureBaseUnits(dialog, FaceOfPixels(templateFont, pixels, resolution));
        if (base.width <= fitted.width && base.height <= fitted.height) {
            return placement;
        }
    }
    dialog.SetFont(smallestFont);
    return placement;
}

}  // namespace wx
