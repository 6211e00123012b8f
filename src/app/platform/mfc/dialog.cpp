#include "app/platform/mfc/dialog.h"

#include <stdexcept>
#include <string>

#include "app/platform/mfc/win_app.h"
#include "app/platform/win32/dialog_ids.h"
#include "app/platform/win32/native_window.h"
#include "app/platform/win32/resources.h"
#include "app/platform/win32/window_styles.h"
#include "app/platform/win32/window_system.h"

void DDX_Control(CDataExchange* exchange, int id, CWnd& control) {
    if (control.m_hWnd != nullptr) {
        return;
    }
    CWnd* item = exchange->m_pDlgWnd->GetDlgItem(id);
    if (item == nullptr) {
        throw std::logic_error("The dialog has no control with id " + std::to_string(id) + ".");
    }
    if (!control.Attach(item->m_hWnd)) {
        throw std::logic_error("The control with id " + std::to_string(id) +
                               " is bound to another object.");
    }
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_WM_INITDIALOG()
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDHelp(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    // A dialog object destroyed while its window exists takes the window with it.
    Detach();
    window_.reset();
}

win32::NativeWindow* CDialog::OwnerWindow() const {
    if (m_pParentWnd != nullptr) {
        return win32::NativeWindow::FromHandle(m_pParentWnd->m_hWnd);
    }
    const CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_pMainWnd != nullptr && app->m_pMainWnd != this) {
        return win32::NativeWindow::FromHandle(app->m_pMainWnd->m_hWnd);
    }
    return nullptr;
}

INT_PTR CDialog::DoModal() {
    const win32::DialogTemplate* dialogTemplate = win32::FindDialogTemplate(m_nIDHelp);
    if (dialogTemplate == nullptr || m_hWnd != nullptr) {
        return -1;
    }
    win32::NativeWindow* owner = OwnerWindow();
    window_ = win32::CurrentWindowSystem().CreateDialogWindow(*dialogTemplate, owner);
    if (!window_) {
        return -1;
    }
    window_->SetTarget(this);
    m_hWnd = window_->Handle();
    ended_ = false;
    result_ = -1;

    const bool ownerWasEnabled = owner != nullptr && owner->IsEnabled();
    if (ownerWasEnabled) {
        owner->Enable(false);
    }
    if (::SendMessage(m_hWnd, WM_INITDIALOG) != FALSE && !ended_) {
        FocusFirstTabStop();
    }
    if (!ended_ && m_hWnd != nullptr) {
        running_ = true;
        const int loopResult = window_->RunModal();
        running_ = false;
        if (!ended_) {
            result_ = loopResult;
        }
    }
    // The owner may have gone while this dialog ran; look it up again by handle.
    if (ownerWasEnabled && win32::NativeWindow::FromHandle(owner->Handle()) != nullptr) {
        owner->Enable(true);
    }
    if (m_hWnd != nullptr) {
        ::SendMessage(m_hWnd, WM_DESTROY);
    }
    Detach();
    window_.reset();
    return result_;
}

void CDialog::EndDialog(int result) {
    ended_ = true;
    result_ = result;
    if (running_ && window_) {
        window_->EndModal(result);
    }
}

void CDialog::FocusFirstTabStop() {
    for (win32::NativeWindow* child : window_->Children()) {
        if ((child->Style() & WS_TABSTOP) != 0 && child->IsVisible() && child->IsEnabled()) {
            child->SetFocus();
            return;
        }
    }
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
    if (UpdateData(TRUE)) {
        EndDialog(IDOK);
    }
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCmdMsg(UINT id, int code) {
    if (CWnd::OnCmdMsg(id, code)) {
        return TRUE;
    }
    CWinApp* app = AfxGetApp();
    return code == 0 && app != nullptr ? app->OnCmdMsg(id, code) : FALSE;
}
