#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/platform/headless/headless_window_system.h"
#include "app/platform/mfc/dialog.h"
#include "app/platform/win32/gl_surface.h"
#include "app/platform/win32/native_window.h"
#include "app/platform/wx/wx_control_window.h"
#include "app/platform/wx/wx_dialog_window.h"
#include "app/platform/wx/wx_window_system.h"
#include "support/dialog_test_resources.h"

// wx after our headers: it defines TRUE and FALSE as macros.
#include <wx/app.h>
#include <wx/combobox.h>
#include <wx/listbox.h>
#include <wx/utils.h>
#include <wx/window.h>

namespace {

using dialog_test::IDC_COMBO;
using dialog_test::IDC_EDIT;
using dialog_test::IDC_LIST;
using dialog_test::IDC_VIEW;
using dialog_test::IDD_TEST;

class WxEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static char name[] = "platform_wx_tests";
        static char* argv[] = {name, nullptr};
        auto system = wx::WxWindowSystem::Start(1, argv, "VelmoraWxTests");
        ASSERT_NE(system, nullptr) << "no X display";
        win32::InstallWindowSystem(std::move(system));
        dialog_test::RegisterTestResources();
    }
    void TearDown() override {
        win32::InstallWindowSystem(std::make_unique<headless::HeadlessWindowSystem>());
    }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new WxEnvironment);

// Runs `during` once the dialog's modal loop is running.
class ScriptedDialog : public CDialog {
public:
    ScriptedDialog() : CDialog(IDD_TEST, nullptr) {}
    std::function<void(ScriptedDialog&)> during;
    std::vector<std::string> log;
    int paints = 0;
    CListBox m_list;
    CEdit m_text;
    CComboBox m_combo;
    CStatic m_view;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_combo.AddString("West");
        m_combo.AddString("East");
        m_combo.SetCurSel(0);
        m_list.AddString("10_2");
        m_list.AddString("9_3");
        wxTheApp->CallAfter([this] { during(*this); });
        return TRUE;
    }
    void OnOK() override {
        log.push_back("ok");
        CDialog::OnOK();
    }
    void OnCancel() override {
        log.push_back("cancel");
        CDialog::OnCancel();
    }
    wxWindow* WxOf(CWnd& control) {
        auto* dialog = static_cast<wx::WxDialogWindow*>(win32::NativeWindow::FromHandle(m_hWnd));
        for (win32::NativeWindow* child : dialog->Children()) {
            if (child->Handle() == control.m_hWnd) {
                return static_cast<wx::WxControlWindow*>(child)->Window();
            }
        }
        return nullptr;
    }

protected:
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, IDC_LIST, m_list);
        DDX_Control(dx, IDC_COMBO, m_combo);
        DDX_Control(dx, IDC_VIEW, m_view);
        DDX_Control(dx, IDC_EDIT, m_text);
    }
    afx_msg void OnPaint() {
        ++paints;
        Default();
    }
    afx_msg void OnClose() {
        log.push_back("close");
        Default();
    }
    afx_msg void OnSelchangeList() {
        CString text;
        m_list.GetText(m_list.GetCurSel(), text);
        log.push_back(std::string("list ") + text.GetString());
    }
    afx_msg void OnSelchangeCombo() {
        CString text;
        m_combo.GetLBText(m_combo.GetCurSel(), text);
        log.push_back(std::string("combo ") + text.GetString());
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ScriptedDialog, CDialog)
ON_WM_PAINT()
ON_WM_CLOSE()
ON_LBN_SELCHANGE(IDC_LIST, OnSelchangeList)
ON_CBN_SELCHANGE(IDC_COMBO, OnSelchangeCombo)
END_MESSAGE_MAP()

TEST(WxDialog, BuildsFromDialogUnitsWithSortedControlsAndAGlViewport) {
    ScriptedDialog dialog;
    dialog.during = [](ScriptedDialog& d) {
        auto* native = static_cast<wx::WxDialogWindow*>(win32::NativeWindow::FromHandle(d.m_hWnd));
        const win32::BaseUnits base = native->DialogBaseUnits();
        CRect client;
        d.GetClientRect(&client);
        const win32::DialogRect units = dialog_test::TestTemplate().rect;
        EXPECT_EQ(client.Width(), win32::DialogUnitsToPixels(units.cx, base.width, 4));
        EXPECT_EQ(client.Height(), win32::DialogUnitsToPixels(units.cy, base.height, 8));
        // Our collation, not the locale's: 9_3 before 10_2.
        auto* list = static_cast<wxListBox*>(d.WxOf(d.m_list));
        EXPECT_EQ(std::string(list->GetString(0).utf8_str()), "9_3");
        CString shown;
        d.m_combo.GetWindowText(shown);
        EXPECT_EQ(shown, "East");
        EXPECT_EQ(d.WxOf(d.m_combo)->GetSize().y, win32::DialogUnitsToPixels(12, base.height, 8));
        auto surface = win32::FindGlSurface(d.m_view.m_hWnd);
        ASSERT_NE(surface, nullptr);
        EXPECT_TRUE(surface->MakeCurrent());
        const SIZE pixels = surface->ClientSizeInPixels();
        EXPECT_GT(pixels.cx, 0);
        EXPECT_GT(pixels.cy, 0);
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(WxDialog, UserSelectionsNotifyAndTheCloseButtonCancels) {
    ScriptedDialog dialog;
    dialog.during = [](ScriptedDialog& d) {
        auto* list = static_cast<wxListBox*>(d.WxOf(d.m_list));
        list->SetSelection(1);
        wxCommandEvent listEvent(wxEVT_LISTBOX, list->GetId());
        listEvent.SetEventObject(list);
        listEvent.SetInt(1);
        list->ProcessWindowEvent(listEvent);
        auto* combo = static_cast<wxComboBox*>(d.WxOf(d.m_combo));
        combo->SetSelection(1);
        wxCommandEvent comboEvent(wxEVT_COMBOBOX, combo->GetId());
        comboEvent.SetEventObject(combo);
        combo->ProcessWindowEvent(comboEvent);
        wxWindow* top = wxGetTopLevelParent(list);
        top->Close();
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"list 10_2", "combo West", "close", "cancel"}));
}

// Lets GTK lay out and draw what is pending.
void Settle() {
    for (int round = 0; round < 20; ++round) {
        wxTheApp->Yield(true);
        wxMilliSleep(10);
    }
}

TEST(WxDialog, AControlRedrawingItselfDoesNotPaintTheDialog) {
    ScriptedDialog dialog;
    dialog.during = [](ScriptedDialog& d) {
        Settle();
        d.paints = 0;
        for (int step = 0; step < 5; ++step) {
            d.m_text.SetWindowText(("x:0060" + std::to_string(step) + ".0").c_str());
            Settle();
        }
        EXPECT_EQ(d.paints, 0);
        // Damage of the dialog itself still reaches its paint handler.
        wxGetTopLevelParent(d.WxOf(d.m_list))->Refresh();
        Settle();
        EXPECT_GT(d.paints, 0);
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

}  // namespace
