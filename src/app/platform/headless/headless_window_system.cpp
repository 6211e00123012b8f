#include "app/platform/headless/headless_window_system.h"

#include <algorithm>
#include <iostream>

#include "app/platform/headless/headless_dialog.h"
#include "app/platform/headless/headless_list_control.h"
#include "app/platform/win32/default_window_procedure.h"
#include "app/platform/win32/dialog_ids.h"
#include "app/platform/win32/dialog_rules.h"
#include "app/platform/win32/message_box_styles.h"
#include "app/platform/win32/window_messages.h"
#include "app/platform/win32/window_styles.h"

namespace headless {

namespace {

bool CanUse(const win32::NativeWindow* window) {
    return window != nullptr && window->IsVisible() && window->IsEnabled();
}

LPARAM HandleArgument(const win32::NativeWindow* window) {
    return window != nullptr ? reinterpret_cast<LPARAM>(window->Handle()) : 0;
}

void Notify(const win32::NativeWindow& dialog, int id, UINT code,
            const win32::NativeWindow* control) {
    SendMessage(dialog.Handle(), WM_COMMAND,
                MAKEWPARAM(static_cast<WORD>(id), static_cast<WORD>(code)),
                HandleArgument(control));
}

}  // namespace

HeadlessWindowSystem::HeadlessWindowSystem() = default;

HeadlessWindowSystem::~HeadlessWindowSystem() = default;

std::unique_ptr<win32::NativeWindow> HeadlessWindowSystem::CreateDialogWindow(
    const win32::DialogTemplate& dialogTemplate, win32::NativeWindow* owner) {
    const RECT client = win32::DialogRectToPixels(
        win32::DialogRect{0, 0, dialogTemplate.rect.cx, dialogTemplate.rect.cy}, baseUnits_);
    const SIZE screen = ScreenSize();
    // Position 0, 0 centres the dialog, as the dialog manager does.
    int left = (screen.cx - client.right) / 2;
    int top = (screen.cy - client.bottom) / 2;
    if (dialogTemplate.rect.x != 0 || dialogTemplate.rect.y != 0) {
        const RECT placed = win32::DialogRectToPixels(dialogTemplate.rect, baseUnits_);
        left = placed.left;
        top = placed.top;
    }
    const RECT screenRect{left, top, left + client.right, top + client.bottom};
    return std::make_unique<HeadlessDialog>(*this, dialogTemplate, owner, screenRect);
}

int HeadlessWindowSystem::MessageBox(std::string_view text, std::string_view caption, UINT type) {
    std::cerr << caption << ": " << text << '\n';
    messageBoxes_.push_back(RecordedMessageBox{std::string(text), std::string(caption), type});
    return (type & 0xF) == MB_YESNO ? IDYES : IDOK;
}

HWND HeadlessWindowSystem::ActiveDialog() const {
    HeadlessDialog* dialog = Active();
    return dialog != nullptr ? dialog->Handle() : nullptr;
}

HeadlessDialog* HeadlessWindowSystem::Active() const {
    return modal_.empty() ? nullptr : modal_.back();
}

win32::NativeWindow* HeadlessWindowSystem::ActiveControl(int id) const {
    HeadlessDialog* dialog = Active();
    if (dialog == nullptr || !dialog->IsEnabled()) {
        return nullptr;
    }
    win32::NativeWindow* control = dialog->FindChild(id);
    return CanUse(control) ? control : nullptr;
}

bool HeadlessWindowSystem::ClickButton(int id) {
    win32::NativeWindow* button = ActiveControl(id);
    if (button == nullptr || button->Kind() != win32::WindowKind::Button) {
        return false;
    }
    button->SetFocus();
    Notify(*Active(), id, BN_CLICKED, button);
    return true;
}

bool HeadlessWindowSystem::ChooseItem(int id, int index) {
    win32::NativeWindow* control = ActiveControl(id);
    if (control == nullptr || control->List() == nullptr) {
        return false;
    }
    auto& list = static_cast<HeadlessListControl&>(*control);
    if (!list.SelectAsUser(index)) {
        return false;
    }
    const HWND handle = control->Handle();
    control->SetFocus();
    if (control->Kind() == win32::WindowKind::ComboBox) {
        Notify(*Active(), id, CBN_SELCHANGE, control);
        // The handler may have destroyed the dialog; only a live control is updated.
        if (win32::NativeWindow::FromHandle(handle) != nullptr) {
            list.ShowSelectionInEditField();
        }
    } else if (win32::NotifiesSelection(*control)) {
        Notify(*Active(), id, LBN_SELCHANGE, control);
    }
    return true;
}

bool HeadlessWindowSystem::TypeText(int id, std::string_view text) {
    win32::NativeWindow* control = ActiveControl(id);
    if (control == nullptr) {
        return false;
    }
    if (control->Kind() == win32::WindowKind::Edit) {
        control->SetFocus();
        control->SetText(text);
        Notify(*Active(), id, EN_CHANGE, control);
        return true;
    }
    if (control->Kind() == win32::WindowKind::ComboBox) {
        control->SetFocus();
        control->SetText(text);
        Notify(*Active(), id, CBN_EDITCHANGE, control);
        return true;
    }
    return false;
}

bool HeadlessWindowSystem::PressKey(UINT virtualKey) {
    HeadlessDialog* dialog = Active();
    if (dialog == nullptr) {
        return false;
    }
    const win32::DialogKey key =
        win32::TranslateDialogKey(*dialog, win32::NativeWindow::FromHandle(focus_), virtualKey);
    if (!key.command) {
        return false;
    }
    Notify(*dialog, key.command->id, BN_CLICKED, key.command->control);
    return true;
}

bool HeadlessWindowSystem::MoveMouse(int x, int y, UINT keyFlags) {
    HeadlessDialog* dialog = Active();
    pointer_ = POINT{x, y};
    if (dialog == nullptr) {
        return false;
    }
    // Any control under the pointer that takes mouse input keeps the move (frames let it pass).
    if (!win32::DialogOwnsPoint(*dialog, x, y)) {
        return false;
    }
    SendMessage(dialog->Handle(), WM_MOUSEMOVE, keyFlags, win32::MakePointLParam(x, y));
    return true;
}

bool HeadlessWindowSystem::TurnWheel(int delta, UINT keyFlags) {
    HeadlessDialog* dialog = Active();
    if (dialog == nullptr) {
        return false;
    }
    win32::NativeWindow* target = win32::NativeWindow::FromHandle(focus_);
    if (target == nullptr || (target != dialog && target->Parent() != dialog)) {
        target = dialog;
    }
    const POINT origin = dialog->ScreenOrigin();
    const WPARAM wParam =
        MAKEWPARAM(static_cast<WORD>(keyFlags), static_cast<WORD>(static_cast<SHORT>(delta)));
    SendMessage(target->Handle(), WM_MOUSEWHEEL, wParam,
                win32::MakePointLParam(origin.x + pointer_.x, origin.y + pointer_.y));
    return true;
}

bool HeadlessWindowSystem::ClickCloseButton() {
    HeadlessDialog* dialog = Active();
    if (dialog == nullptr || (dialog->Style() & WS_SYSMENU) == 0) {
        return false;
    }
    SendMessage(dialog->Handle(), WM_CLOSE);
    return true;
}

bool HeadlessWindowSystem::ChooseSystemMenuCommand(UINT command) {
    HeadlessDialog* dialog = Active();
    win32::MenuModel* menu = dialog != nullptr ? dialog->SystemMenu() : nullptr;
    if (menu == nullptr) {
        return false;
    }
    const auto& items = menu->Items();
    const bool offered = std::any_of(items.begin(), items.end(), [&](const win32::MenuItem& item) {
        return !item.IsSeparator() && item.IsEnabled() && item.command == command;
    });
    if (!offered) {
        return false;
    }
    SendMessage(dialog->Handle(), WM_SYSCOMMAND, command, 0);
    return true;
}

void HeadlessWindowSystem::Paint(HWND dialog) {
    SendMessage(dialog, WM_PAINT);
}

void HeadlessWindowSystem::ForgetWindow(HWND window) {
    if (focus_ == window) {
        focus_ = nullptr;
    }
}

void HeadlessWindowSystem::LeaveModal(HeadlessDialog& dialog) {
    const auto found = std::find(modal_.begin(), modal_.end(), &dialog);
    if (found != modal_.end()) {
        modal_.erase(found);
    }
}

bool HeadlessWindowSystem::RunNextStep() {
    if (steps_.empty()) {
        scriptRanOut_ = true;
        return false;
    }
    Step step = std::move(steps_.front());
    steps_.pop_front();
    step();
    return true;
}

HeadlessWindowSystem& UseHeadlessWindowSystem() {
    return static_cast<HeadlessWindowSystem&>(
        win32::InstallWindowSystem(std::make_unique<HeadlessWindowSystem>()));
}

}  // namespace headless
