#include "app/platform/headless/headless_dialog.h"

#include "app/platform/headless/desktop.h"
#include "app/platform/headless/headless_list_control.h"
#include "app/platform/win32/dialog_units.h"
#include "app/platform/win32/system_menu.h"
#include "app/platform/win32/window_styles.h"

namespace headless {

HeadlessDialog::HeadlessDialog(Desktop& system, const win32::DialogTemplate& dialogTemplate,
                               win32::NativeWindow* owner, RECT screenRect)
    // Created hidden; it shows when its modal loop starts.
    : HeadlessWindow(system, win32::WindowKind::Dialog, 0, dialogTemplate.style & ~WS_VISIBLE,
                     nullptr, screenRect, dialogTemplate.caption),
      owner_(owner),
      screenRect_(screenRect) {
    for (const win32::DialogControlTemplate& control : dialogTemplate.controls) {
        const RECT rect = win32::DialogRectToPixels(control.rect, system.DialogBaseUnits());
        if (control.kind == win32::WindowKind::ListBox ||
            control.kind == win32::WindowKind::ComboBox) {
            children_.push_back(std::make_unique<HeadlessListControl>(
                system, control.kind, control.id, control.style, this, rect));
        } else {
            children_.push_back(std::make_unique<HeadlessWindow>(
                system, control.kind, control.id, control.style, this, rect, control.text));
        }
    }
}

HeadlessDialog::~HeadlessDialog() {
    // Children go first, while their parent still exists.
    children_.clear();
}

std::vector<win32::NativeWindow*> HeadlessDialog::Children() const {
    std::vector<win32::NativeWindow*> children;
    children.reserve(children_.size());
    for (const auto& child : children_) {
        children.push_back(child.get());
    }
    return children;
}

RECT HeadlessDialog::ClientRect() const {
    // A minimised window has no client area to speak of.
    if (iconic_) {
        return RECT{0, 0, 0, 0};
    }
    return HeadlessWindow::ClientRect();
}

win32::MenuModel* HeadlessDialog::SystemMenu() {
    return systemMenu_.Get(Style());
}

void HeadlessDialog::RevertSystemMenu() {
    systemMenu_.Revert(Style());
}

int HeadlessDialog::RunModal() {
    Show(true);
    System().EnterModal(*this);
    while (!ended_) {
        if (!System().RunNextStep()) {
            // Nobody is left to end the dialog: stop instead of waiting for ever.
            ended_ = true;
            result_ = -1;
        }
    }
    System().LeaveModal(*this);
    Show(false);
    return result_;
}

void HeadlessDialog::EndModal(int result) {
    ended_ = true;
    result_ = result;
}

}  // namespace headless
