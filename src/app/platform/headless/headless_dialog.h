#pragma once
// An in-memory dialog with its controls, built from a template; its modal loop runs the scripted
// steps of the headless window system until the dialog is ended.

#include <memory>
#include <vector>

#include "app/platform/headless/headless_window.h"
#include "app/platform/win32/dialog_template.h"
#include "app/platform/win32/menu_model.h"
#include "app/platform/win32/system_menu.h"

namespace headless {

class HeadlessDialog : public HeadlessWindow {
public:
    HeadlessDialog(Desktop& system, const win32::DialogTemplate& dialogTemplate,
                   win32::NativeWindow* owner, RECT screenRect);
    ~HeadlessDialog() override;

    std::vector<win32::NativeWindow*> Children() const override;
    bool IsIconic() const override { return iconic_; }
    void Iconize(bool iconic) override { iconic_ = iconic; }
    RECT ClientRect() const override;
    win32::MenuModel* SystemMenu() override;
    void RevertSystemMenu() override;
    int RunModal() override;
    void EndModal(int result) override;

    win32::NativeWindow* Owner() const { return owner_; }
    // Top-left corner of the client area on the (virtual) screen.
    POINT ScreenOrigin() const { return POINT{screenRect_.left, screenRect_.top}; }

private:
    win32::NativeWindow* owner_;
    RECT screenRect_;
    std::vector<std::unique_ptr<HeadlessWindow>> children_;
    win32::DialogSystemMenu systemMenu_;
    bool iconic_ = false;
    bool ended_ = false;
    int result_ = -1;
};

}  // namespace headless
