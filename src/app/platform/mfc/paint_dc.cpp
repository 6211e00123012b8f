#include "app/platform/mfc/paint_dc.h"

#include "app/platform/mfc/cwnd.h"
#include "app/platform/win32/device_context.h"
#include "app/platform/win32/icon_functions.h"
#include "app/platform/win32/native_window.h"

BOOL CDC::DrawIcon(int x, int y, HICON icon) {
    return ::DrawIcon(m_hDC, x, y, icon);
}

CPaintDC::CPaintDC(CWnd* window) {
    win32::NativeWindow* native =
        window != nullptr ? win32::NativeWindow::FromHandle(window->m_hWnd) : nullptr;
    if (native != nullptr) {
        context_ = native->BeginPaint();
    }
    m_hDC = context_ ? context_->Handle() : nullptr;
}

CPaintDC::~CPaintDC() = default;
