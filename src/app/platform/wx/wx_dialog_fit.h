#pragma once
// A dialog's font and base units on wx, chosen so that the dialog fits its monitor's work area.

#include "app/platform/win32/dialog_fit.h"
#include "app/platform/win32/dialog_template.h"

// wx after our headers: it defines TRUE and FALSE as macros.
#include <wx/gdicmn.h>

class wxTopLevelWindow;
class wxWindow;

namespace wx {

// The smallest font size (its em, in pixels) that a dialog is shrunk to; below it text is not
// readable.
inline constexpr int SmallestDialogFontPixels = 7;

struct DialogPlacement {
    win32::DialogFit fit;
    wxSize frame;     // caption and borders, as far as they are known before showing
    wxRect workArea;  // of the monitor the dialog opens on
};

// Gives `dialog` the template's font (the platform's sans face at the template's size), with its
// base units, when the dialog fits the work area of the monitor it opens on (that of `owner` if
// there is one) with its frame. Otherwise the base units shrink just enough, in the font's
// proportions (down to those of the smallest readable font), and the dialog gets the largest font
// whose base units are no larger, so that every text still fits its control.
DialogPlacement FitDialogFont(wxTopLevelWindow& dialog, const win32::DialogTemplate& dialogTemplate,
                              const wxWindow* owner);

}  // namespace wx
