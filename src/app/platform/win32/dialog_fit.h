#pragma once
// Fitting a dialog to its screen: the base units at which a dialog of a given size in dialog units
// fits the room its screen leaves for the client area.

#include "app/platform/win32/dialog_units.h"
#include "app/platform/win32/win_types.h"

namespace win32 {

struct DialogFit {
    BaseUnits baseUnits;
    bool fits = true;  // false: even at the smallest base units the dialog is larger than the room
};

// `natural` when the dialog fits as it is. Otherwise both natural base units scaled by the largest
// common factor at which it fits, so its proportions stay; but never below `smallest` in either
// direction (the base units of the smallest readable font), where it does not fit.
DialogFit FitDialogToRoom(SIZE dialogUnits, BaseUnits natural, BaseUnits smallest, SIZE room);

}  // namespace win32
