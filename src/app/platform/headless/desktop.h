#pragma once
// What the headless windows ask of the screen they live on: the keyboard focus, the dialog base
// units, the record of icons drawn and the modal loop's script. The headless window system is
// that screen; the windows know only this side of it.

#include "app/platform/win32/dialog_units.h"
#include "app/platform/win32/win_types.h"

namespace headless {

class HeadlessDialog;

struct DrawnIcon {
    HWND window = nullptr;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

class Desktop {
public:
    virtual ~Desktop() = default;

    virtual HWND FocusedWindow() const = 0;
    virtual void SetFocusedWindow(HWND window) = 0;
    // A window is going away: it loses the focus.
    virtual void ForgetWindow(HWND window) = 0;
    virtual win32::BaseUnits DialogBaseUnits() const = 0;
    virtual void RecordIconDrawn(DrawnIcon icon) = 0;

    // The modal loop of a dialog: entered, run step by step, left.
    virtual void EnterModal(HeadlessDialog& dialog) = 0;
    // Runs the next queued step; false when there is none.
    virtual bool RunNextStep() = 0;
    virtual void LeaveModal(HeadlessDialog& dialog) = 0;
};

}  // namespace headless
