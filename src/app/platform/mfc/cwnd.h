#pragma once
// MFC's CWnd: a C++ object attached to a window handle. Messages sent to an attached window go
// through its message map; what the map does not handle gets the platform's default handling.

#include <string>

#include "app/platform/mfc/cmd_target.h"
#include "app/platform/mfc/cpoint.h"
#include "app/platform/mfc/crect.h"
#include "app/platform/mfc/cstring.h"
#include "app/platform/win32/default_window_procedure.h"
#include "app/platform/win32/native_window.h"
#include "app/platform/win32/win_types.h"
#include "app/platform/win32/window_messages.h"

class CMenu;

using LPRECT = RECT*;

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;

class CWnd : public CCmdTarget, public win32::WindowTarget {
public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The CWnd attached to a window, or a wrapper owned by the window for one that has none;
    // null for a handle that names no window.
    static CWnd* FromHandle(HWND handle);

    // Makes this object receive the window's messages. Fails when this object is attached already
    // or the window has another CWnd.
    BOOL Attach(HWND handle);
    HWND Detach();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    int GetWindowText(LPSTR buffer, int bufferSize) const;
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const;
    void SetWindowText(LPCSTR text);

    // Gives this window the keyboard focus; returns the window that had it (may be null).
    CWnd* SetFocus();
    static CWnd* GetFocus();

    BOOL IsIconic() const;
    void GetClientRect(LPRECT rect) const;
    BOOL ShowWindow(int command);
    BOOL IsWindowVisible() const;
    BOOL EnableWindow(BOOL enable);
    BOOL IsWindowEnabled() const;
    int GetDlgCtrlID() const;
    CWnd* GetDlgItem(int id) const;
    CWnd* GetParent() const;

    // The window menu; bRevert TRUE restores the default menu and returns null.
    CMenu* GetSystemMenu(BOOL bRevert) const;
    HICON SetIcon(HICON icon, BOOL bigIcon);
    HICON GetIcon(BOOL bigIcon) const;

    // The default handling of the message being handled now.
    LRESULT Default();

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs WindowProc as the platform's dispatch does: an exception escaping a handler is
    // reported in a message box and the message counts as handled.
    LRESULT ReceiveMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    void DetachFromNative() override;

protected:
    win32::NativeWindow* Native() const;

    // Base handlers: the default handling.
    afx_msg void OnPaint() { Default(); }
    afx_msg void OnClose() { Default(); }
    afx_msg void OnSysCommand(UINT, LPARAM) { Default(); }
    afx_msg void OnMouseMove(UINT, CPoint) { Default(); }
    afx_msg BOOL OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
    afx_msg HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }

private:
    struct Message {
        UINT message = WM_NULL;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };
    Message current_;
};
