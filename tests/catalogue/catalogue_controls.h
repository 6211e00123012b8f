#pragma once
// A sorted world combo box and sector list box on the headless window system, as the viewer's
// dialog holds them.

#include <memory>
#include <string>
#include <vector>

#include "app/platform/mfc/controls.h"
#include "app/platform/win32/dialog_template.h"
#include "app/platform/win32/window_system.h"
#include "support/control_texts.h"

class CatalogueControls {
public:
    CatalogueControls() {
        win32::DialogTemplate dialog;
        dialog.rect = {0, 0, 100, 100};
        win32::DialogControlTemplate combo;
        combo.kind = win32::WindowKind::ComboBox;
        combo.id = 1;
        combo.style = WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | CBS_SORT;
        combo.rect = {0, 0, 50, 50};
        win32::DialogControlTemplate list;
        list.kind = win32::WindowKind::ListBox;
        list.id = 2;
        list.style = WS_CHILD | WS_VISIBLE | LBS_SORT | LBS_NOTIFY;
        list.rect = {50, 0, 50, 100};
        dialog.controls = {combo, list};
        window_ = win32::CurrentWindowSystem().CreateDialogWindow(dialog, nullptr);
        worldCombo.Attach(window_->FindChild(1)->Handle());
        sectorList.Attach(window_->FindChild(2)->Handle());
    }
    ~CatalogueControls() {
        sectorList.Detach();
        worldCombo.Detach();
    }
    CatalogueControls(const CatalogueControls&) = delete;
    CatalogueControls& operator=(const CatalogueControls&) = delete;

    std::vector<std::string> Worlds() const { return mfc::ControlItems(worldCombo); }
    std::vector<std::string> Sectors() const { return mfc::ControlItems(sectorList); }
    std::string WorldComboText() const { return control_texts::Text(worldCombo); }

    CComboBox worldCombo;
    CListBox sectorList;

private:
    std::unique_ptr<win32::NativeWindow> window_;
};
