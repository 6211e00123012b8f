#pragma once
// The window system without a display: dialogs and controls in memory, a scripted modal loop and
// recorded output, so that every dialog handler can be tested.
//
// A test queues steps, then runs the dialog:
//
//   HeadlessWindowSystem& ui = UseHeadlessWindowSystem();
//   ui.QueueStep([&] { ui.ChooseItem(IDC_SECTOR_LIST, 0); });
//   ui.QueueStep([&] { ui.PressKey(VK_ESCAPE); });
//   EXPECT_EQ(dialog.DoModal(), IDCANCEL);
//
// The innermost running modal loop takes the next step; a loop that runs out of steps ends its
// dialog with -1 and ScriptRanOut() turns true. The user actions act on the active (innermost)
// dialog and do what the user's input would do: they return false, doing nothing, where the user
// could not act (no such control, hidden, disabled).

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/platform/headless/desktop.h"
#include "app/platform/win32/dialog_units.h"
#include "app/platform/win32/window_system.h"

namespace headless {

class HeadlessDialog;

struct RecordedMessageBox {
    std::string text;
    std::string caption;
    UINT type = 0;
};

class HeadlessWindowSystem : public win32::WindowSystem, public Desktop {
public:
    using Step = std::function<void()>;

    HeadlessWindowSystem();
    ~HeadlessWindowSystem() override;

    std::unique_ptr<win32::NativeWindow> CreateDialogWindow(
        const win32::DialogTemplate& dialogTemplate, win32::NativeWindow* owner) override;
    // Writes "caption: text" to stderr, records it and answers IDOK (IDYES for a yes/no box).
    int MessageBox(std::string_view text, std::string_view caption, UINT type) override;
    HWND FocusedWindow() const override { return focus_; }

    win32::BaseUnits DialogBaseUnits() const override { return baseUnits_; }
    void SetDialogBaseUnits(win32::BaseUnits units) { baseUnits_ = units; }
    SIZE ScreenSize() const { return SIZE{1280, 1024}; }

    // Script.
    void QueueStep(Step step) { steps_.push_back(std::move(step)); }
    bool ScriptRanOut() const { return scriptRanOut_; }
    std::size_t PendingSteps() const { return steps_.size(); }
    // The innermost running modal dialog, else null.
    HWND ActiveDialog() const;

    // User actions on the active dialog.
    bool ClickButton(int id);
    // Selects item index of a list box or combo box as a click would: the list box notifies
    // LBN_SELCHANGE when it has LBS_NOTIFY; the combo box notifies CBN_SELCHANGE and only then
    // shows the item in its edit field.
    bool ChooseItem(int id, int index);
    // Replaces the text of an edit control or a combo box's edit field, notifying EN_CHANGE /
    // CBN_EDITCHANGE.
    bool TypeText(int id, std::string_view text);
    // VK_RETURN and VK_ESCAPE as the dialog's rules (win32/dialog_rules.h) take them; false when
    // they ask for nothing. Other keys do nothing here.
    bool PressKey(UINT virtualKey);
    // Moves the pointer to (x, y) in the dialog's client coordinates with the given MK_ flags.
    // Returns whether the dialog received WM_MOUSEMOVE (not when over a control that takes mouse
    // input itself).
    bool MoveMouse(int x, int y, UINT keyFlags);
    // Turns the wheel by delta (120 per notch, positive away from the user) at the last pointer
    // position; the message goes to the focused window, and list and combo boxes keep it.
    bool TurnWheel(int delta, UINT keyFlags = 0);
    // The caption's close button (WM_CLOSE).
    bool ClickCloseButton();
    // Chooses a command of the active dialog's system menu (WM_SYSCOMMAND); false when the menu
    // has no such enabled item.
    bool ChooseSystemMenuCommand(UINT command);

    // Platform-originated messages, to any dialog.
    void Paint(HWND dialog);

    const std::vector<RecordedMessageBox>& MessageBoxes() const { return messageBoxes_; }
    const std::vector<DrawnIcon>& DrawnIcons() const { return drawnIcons_; }

    // The headless windows' side (desktop.h).
    void SetFocusedWindow(HWND window) override { focus_ = window; }
    void ForgetWindow(HWND window) override;
    void RecordIconDrawn(DrawnIcon icon) override { drawnIcons_.push_back(icon); }
    void EnterModal(HeadlessDialog& dialog) override { modal_.push_back(&dialog); }
    void LeaveModal(HeadlessDialog& dialog) override;
    bool RunNextStep() override;

private:
    HeadlessDialog* Active() const;
    win32::NativeWindow* ActiveControl(int id) const;

    win32::BaseUnits baseUnits_;
    HWND focus_ = nullptr;
    POINT pointer_{0, 0};
    std::deque<Step> steps_;
    bool scriptRanOut_ = false;
    std::vector<HeadlessDialog*> modal_;
    std::vector<RecordedMessageBox> messageBoxes_;
    std::vector<DrawnIcon> drawnIcons_;
};

// Installs a fresh headless window system as the current one and returns it.
HeadlessWindowSystem& UseHeadlessWindowSystem();

}  // namespace headless
