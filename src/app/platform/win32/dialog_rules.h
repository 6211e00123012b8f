#pragma once
// The dialog's rules, as IsDialogMessage and the dialog's default handling apply them: what Enter
// and Escape mean, which controls take the mouse, which list boxes report the user's selection.
// The backends deliver the user's input here and send what these rules decide.

#include <optional>

#include "app/platform/win32/native_window.h"
#include "app/platform/win32/win_types.h"

namespace win32 {

// A push button (default or not): Enter on it, when focused, clicks it.
bool IsPushButton(const NativeWindow& window);

// Whether a control under the pointer takes mouse input itself: a static control only with
// SS_NOTIFY, a group box never (it is only a frame), every other control always.
bool TakesMouseInput(const NativeWindow& control);

// Whether a point in the dialog's client coordinates reaches the dialog itself: inside its client
// area and over no visible control that takes mouse input.
bool DialogOwnsPoint(const NativeWindow& dialog, int x, int y);

// Whether a list box tells its dialog that the user changed the selection (LBS_NOTIFY).
bool NotifiesSelection(const NativeWindow& listBox);

// The command a dialog key asks for: WM_COMMAND (id, BN_CLICKED) from control (null for none).
struct DialogCommand {
    int id = 0;
    NativeWindow* control = nullptr;
};

// What a key means to a dialog whose focus is on `focused` (null: none of its controls).
struct DialogKey {
    // False: the key is not the dialog's, the focused control has it (any key but Enter and
    // Escape, and Enter in a multi-line edit).
    bool isDialogKey = false;
    // Nothing: the dialog's key does nothing (Escape with IDCANCEL disabled, Enter with the
    // default button disabled).
    std::optional<DialogCommand> command;
};

// Escape: IDCANCEL, unless its button is disabled. Enter: the focused push button, else the
// default push button (also when hidden, not when disabled), else IDOK.
DialogKey TranslateDialogKey(const NativeWindow& dialog, NativeWindow* focused, UINT virtualKey);

}  // namespace win32
