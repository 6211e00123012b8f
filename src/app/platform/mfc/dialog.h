#pragma once
// MFC's CDialog: a modal dialog built from a registered template (resources.h), its messages and
// control notifications routed through message maps, its member controls bound by data exchange.
//
// How a dialog is declared:
//
//   class ViewerDialog : public CDialog {
//   public:
//       explicit ViewerDialog(CWnd* parent = nullptr) : CDialog(IDD_VIEWER, parent) {}
//       BOOL OnInitDialog() override;
//
//   protected:
//       void DoDataExchange(CDataExchange* dx) override {
//           CDialog::DoDataExchange(dx);
//           DDX_Control(dx, IDC_WORLD_COMBO, m_worldCombo);
//       }
//       void OnOK() override;
//       afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
//       afx_msg void OnSelchangeWorldCombo();
//       DECLARE_MESSAGE_MAP()
//
//       CComboBox m_worldCombo;
//   };
//
//   BEGIN_MESSAGE_MAP(ViewerDialog, CDialog)
//       ON_WM_SYSCOMMAND()
//       ON_CBN_SELCHANGE(IDC_WORLD_COMBO, OnSelchangeWorldCombo)
//   END_MESSAGE_MAP()
//
// The base map routes IDOK to OnOK and IDCANCEL to OnCancel. CWnd::Default() gives the platform's
// handling: WM_CLOSE becomes the IDCANCEL command, SC_CLOSE becomes WM_CLOSE.

#include <memory>

#include "app/platform/mfc/cwnd.h"
#include "app/platform/win32/win_types.h"

class CDialog;

using INT_PTR = std::intptr_t;

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// Binds control to the dialog's control `id` (once; later exchanges leave it bound). A template
// without that control, or a control bound to another object, is a programming error and throws
// std::logic_error.
void DDX_Control(CDataExchange* exchange, int id, CWnd& control);

class CDialog : public CWnd {
public:
    CDialog() = default;
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Creates the dialog from its template, runs it modally and destroys it. Returns the value
    // passed to EndDialog, or -1 when the template is missing, the window cannot be created or the
    // dialog is running already. A dialog without a parent is owned by the application's main
    // window, which stays disabled while it runs.
    virtual INT_PTR DoModal();
    // Ends the modal loop with result once the current message has been handled.
    void EndDialog(int result);

    // Runs the data exchange (binding the member controls); TRUE gives the first tab-stop control
    // the focus.
    virtual BOOL OnInitDialog();
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    virtual void OnOK();
    virtual void OnCancel();

    // Commands this dialog does not handle go on to the application object.
    BOOL OnCmdMsg(UINT id, int code) override;

protected:
    virtual void DoDataExchange(CDataExchange* exchange);

    UINT m_nIDHelp = 0;
    CWnd* m_pParentWnd = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    win32::NativeWindow* OwnerWindow() const;
    void FocusFirstTabStop();

    std::unique_ptr<win32::NativeWindow> window_;
    bool running_ = false;
    bool ended_ = false;
    int result_ = -1;
};
