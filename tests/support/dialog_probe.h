#pragma once
// A dialog for the framework tests that binds every control and records what reaches its handlers.

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/platform/headless/headless_window_system.h"
#include "app/platform/mfc/dialog.h"
#include "app/platform/mfc/menu.h"
#include "app/platform/mfc/message_map.h"
#include "app/platform/mfc/paint_dc.h"
#include "app/platform/win32/icon_functions.h"
#include "support/dialog_test_resources.h"

namespace dialog_test {

class ProbeDialog : public CDialog {
public:
    explicit ProbeDialog(CWnd* parent = nullptr, UINT templateId = IDD_TEST)
        : CDialog(templateId, parent) {}

    std::vector<std::string> log;
    std::vector<CPoint> moves;
    std::vector<UINT> moveFlags;
    std::vector<short> wheelDeltas;
    std::vector<UINT> sysCommands;
    // Runs at the end of OnInitDialog when set.
    std::function<void(ProbeDialog&)> onInit;
    // Runs inside the sector-list handler when set (e.g. to throw).
    std::function<void()> onListChange;
    BOOL initResult = TRUE;

    CListBox m_list;
    CComboBox m_combo;
    CListBox m_plainList;
    CComboBox m_plainCombo;
    CEdit m_edit;
    CStatic m_view;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        log.push_back("init");
        if (onInit) {
            onInit(*this);
        }
        return initResult;
    }
    void OnOK() override {
        log.push_back("ok");
        CDialog::OnOK();
    }
    void OnCancel() override {
        log.push_back("cancel");
        CDialog::OnCancel();
    }

protected:
    void DoDataExchange(CDataExchange* dx) override {
        CDialog::DoDataExchange(dx);
        if (GetDlgItem(IDC_LIST) == nullptr) {
            return;  // the child template has none of these
        }
        DDX_Control(dx, IDC_COMBO, m_combo);
        DDX_Control(dx, IDC_LIST, m_list);
        DDX_Control(dx, IDC_PLAIN_LIST, m_plainList);
        DDX_Control(dx, IDC_PLAIN_COMBO, m_plainCombo);
        DDX_Control(dx, IDC_EDIT, m_edit);
        DDX_Control(dx, IDC_VIEW, m_view);
    }

    afx_msg void OnClose() {
        log.push_back("close");
        CDialog::OnClose();
    }
    afx_msg void OnSysCommand(UINT id, LPARAM) {
        sysCommands.push_back(id);
        Default();
    }
    afx_msg void OnPaint() {
        log.push_back("paint");
        if (IsIconic()) {
            CPaintDC dc(this);
            CRect client;
            GetClientRect(&client);
            dc.DrawIcon((client.Width() - GetSystemMetrics(SM_CXICON) + 1) / 2,
                        (client.Height() - GetSystemMetrics(SM_CYICON) + 1) / 2,
                        win32::FindIcon(IDI_TEST));
            return;
        }
        Default();
    }
    afx_msg void OnMouseMove(UINT flags, CPoint point) {
        moves.push_back(point);
        moveFlags.push_back(flags);
        CDialog::OnMouseMove(flags, point);
    }
    afx_msg BOOL OnMouseWheel(UINT flags, short delta, CPoint point) {
        wheelDeltas.push_back(delta);
        return CDialog::OnMouseWheel(flags, delta, point);
    }
    afx_msg HCURSOR OnQueryDragIcon() { return win32::FindIcon(IDI_TEST); }
    afx_msg void OnSelchangeList() {
        log.push_back("list");
        if (onListChange) {
            onListChange();
        }
        log.push_back("list done");
    }
    afx_msg void OnSelchangeCombo() {
        CString text;
        m_combo.GetWindowText(text);
        CString item;
        m_combo.GetLBText(m_combo.GetCurSel(), item);
        log.push_back("combo " + std::string(item.GetString()) + " shown " + text.GetString());
    }
    afx_msg void OnReset() { log.push_back("reset"); }

    DECLARE_MESSAGE_MAP()
};

}  // namespace dialog_test
