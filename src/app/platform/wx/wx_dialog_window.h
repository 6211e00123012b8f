#pragma once
// A dialog on wx: built from its template in dialog units of an 8 pt sans font (explicit control
// heights, centred, fixed size), with wx events turned into the messages its CDialog expects.

#include "app/platform/win32/dialog_template.h"
#include "app/platform/win32/dialog_units.h"
#include "app/platform/win32/menu_model.h"
#include "app/platform/win32/native_window.h"
#include "app/platform/win32/system_menu.h"
#include "app/platform/wx/wx_window_registry.h"

#include <memory>
#include <vector>

class wxWindow;

namespace wx {

class WxControlWindow;
class RoutedDialog;

class WxDialogWindow : public win32::NativeWindow {
public:
    WxDialogWindow(WxWindowRegistry& windows, const win32::DialogTemplate& dialogTemplate,
                   win32::NativeWindow* owner);
    ~WxDialogWindow() override;

    wxWindow* Window() const;
    win32::BaseUnits DialogBaseUnits() const { return baseUnits_; }

    std::vector<win32::NativeWindow*> Children() const override;
    std::string Text() const override;
    void SetText(std::string_view text) override;
    void SetFocus() override;
    bool HasFocus() const override;
    bool IsVisible() const override;
    void Show(bool visible) override;
    bool IsEnabled() const override;
    void Enable(bool enabled) override;
    RECT ClientRect() const override;
    RECT WindowRect() const override;
    bool IsIconic() const override;
    void Iconize(bool iconic) override;
    HICON SetIcon(bool big, HICON icon) override;
    std::unique_ptr<win32::DeviceContext> BeginPaint() override;
    win32::MenuModel* SystemMenu() override;
    void RevertSystemMenu() override;
    int RunModal() override;
    void EndModal(int result) override;

    // Event routing (called by the wx dialog).
    WxControlWindow* ControlOf(const wxWindow* window) const;
    void ShowSystemMenu(int x, int y, bool atPointer);
    void SetPaintingDialog(bool painting) { paintingDialog_ = painting; }

private:
    void CreateControl(const win32::DialogControlTemplate& control);

    WxWindowRegistry& windows_;
    RoutedDialog* dialog_;  // owned by wx; destroyed through Destroy()
    win32::BaseUnits baseUnits_;
    std::vector<std::unique_ptr<WxControlWindow>> children_;
    win32::DialogSystemMenu systemMenu_;
    bool paintingDialog_ = false;
    bool paintDcTaken_ = false;
};

}  // namespace wx
