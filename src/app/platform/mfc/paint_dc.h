#pragma once
// MFC's CDC and CPaintDC: painting a window between BeginPaint and EndPaint.

#include <memory>

#include "app/platform/win32/win_types.h"

class CWnd;
namespace win32 {
class DeviceContext;
}

class CDC {
public:
    CDC() = default;
    virtual ~CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON icon);
};

class CPaintDC : public CDC {
public:
    // Begins painting window; the destructor ends it. m_hDC stays null for a window that is gone.
    explicit CPaintDC(CWnd* window);
    ~CPaintDC() override;

private:
    std::unique_ptr<win32::DeviceContext> context_;
};
