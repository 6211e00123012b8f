#include "app/platform/paint_dc.h"

#include "app/platform/cwnd.h"
#include "app/platform/device_context.h"
#include "app/platform/icon_functions.h"
#include "app/platform/native_window.h"

BOOL CDC::DrawIcon(int x, int y, HICON icon) {
    return ::DrawIcon(m_hDC, x, y, icon);
}

CPaintDC::CPaintDC(CWnd* window) {
    NativeWindow* native = window != nullptr ? NativeWindow::FromHandle(window->m_hWnd) : nullptr;
    if (native != nullptr) {
        context_ = native->BeginPaint();
    }
    m_hDC = context_ ? context_->Handle() : nullptr;
}

CPaintDC::~CPaintDC() = default;
