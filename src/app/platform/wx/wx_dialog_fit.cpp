#include "app/platform/wx/wx_dialog_fit.h"

#include <cmath>

// wx after our headers: it defines TRUE and FALSE as macros.
#include <wx/display.h>
#include <wx/font.h>
#include <wx/toplevel.h>

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
BaseUnits MeasureBaseUnits(wxTopLevelWindow& dialog, const wxFont& font) {
    dialog.SetFont(font);
    const wxSize base = dialog.ConvertDialogToPixels(wxSize(4, 8));
    return BaseUnits{static_cast<double>(base.x), static_cast<double>(base.y)};
}

}  // namespace

wxRect DialogWorkArea(const wxTopLevelWindow& dialog, const wxWindow* owner) {
    int display = owner != nullptr ? wxDisplay::GetFromWindow(owner) : wxNOT_FOUND;
    if (display == wxNOT_FOUND) {
        display = wxDisplay::GetFromWindow(&dialog);
    }
    return wxDisplay(static_cast<unsigned>(display == wxNOT_FOUND ? 0 : display)).GetClientArea();
}

DialogFit FitDialogFont(wxTopLevelWindow& dialog, const DialogTemplate& dialogTemplate,
                        const wxWindow* owner) {
    const int points = dialogTemplate.font.pointSize > 0 ? dialogTemplate.font.pointSize : 8;
    const wxFont templateFont = SansOfPoints(points);
    const BaseUnits natural = MeasureBaseUnits(dialog, templateFont);
    const double resolution = TextResolution(dialog, templateFont);
    const SIZE units{dialogTemplate.rect.cx, dialogTemplate.rect.cy};

    // The frame as far as it is known before the window is shown: the window manager's
    // decorations once wx has learnt them, nothing without a window manager.
    dialog.SetClientSize(DialogUnitsToPixels(units.cx, natural.width, 4),
                         DialogUnitsToPixels(units.cy, natural.height, 8));
    const wxSize frame = dialog.GetSize() - dialog.GetClientSize();
    const wxRect area = DialogWorkArea(dialog, owner);
    const SIZE room{area.width - frame.x, area.height - frame.y};
    const DialogFit fit = FitDialogToRoom(
        units, natural,
        MeasureBaseUnits(dialog, FaceOfPixels(templateFont, SmallestDialogFontPixels, resolution)),
        room);
    if (fit.baseUnits.width == natural.width && fit.baseUnits.height == natural.height) {
        dialog.SetFont(templateFont);
        return fit;
    }
    // A font's line is taller than its size, so no font larger than the base height is shorter.
    for (int pixels = static_cast<int>(std::ceil(natural.height));
         pixels > SmallestDialogFontPixels; --pixels) {
        const BaseUnits base =
            MeasureBaseUnits(dialog, FaceOfPixels(templateFont, pixels, resolution));
        if (base.width <= fit.baseUnits.width && base.height <= fit.baseUnits.height) {
            return fit;
        }
    }
    dialog.SetFont(FaceOfPixels(templateFont, SmallestDialogFontPixels, resolution));
    return fit;
}
