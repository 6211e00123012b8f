#pragma once
// The backend's side of a window: what a CWnd (or a control message) asks of a real window.
// Each backend (headless/, wx/) implements it; handles (HWND) name live native windows.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/platform/win32/win_types.h"

namespace win32 {

class DeviceContext;
class MenuModel;
class NativeListControl;

// What receives a window's messages: MFC attaches its CWnd here, as AfxWndProc stands between a
// window and its CWnd on Windows.
class WindowTarget {
public:
    virtual ~WindowTarget() = default;
    // Handles a message sent to the window.
    virtual LRESULT ReceiveMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Called by a native window that is being destroyed while this object is attached to it.
    virtual void DetachFromNative() = 0;
};

enum class WindowKind { Dialog, Button, Edit, Static, ListBox, ComboBox };

class NativeWindow {
public:
    NativeWindow(WindowKind kind, int controlId, DWORD style, NativeWindow* parent);
    virtual ~NativeWindow();
    NativeWindow(const NativeWindow&) = delete;
    NativeWindow& operator=(const NativeWindow&) = delete;

    // The live window a handle names, or null for a handle of a destroyed or unknown window.
    static NativeWindow* FromHandle(HWND handle);

    HWND Handle() const { return handle_; }
    WindowKind Kind() const { return kind_; }
    int ControlId() const { return controlId_; }
    DWORD Style() const { return style_; }
    NativeWindow* Parent() const { return parent_; }

    // What receives this window's messages; null while nothing is attached.
    WindowTarget* Target() const { return target_; }
    void SetTarget(WindowTarget* target) { target_ = target; }
    // An object for callers that ask for one (GetDlgItem, FromHandle) when none is attached, made
    // by them on first use; it lives as long as the window and does not receive its messages.
    WindowTarget* Wrapper() const { return wrapper_.get(); }
    void SetWrapper(std::unique_ptr<WindowTarget> wrapper) { wrapper_ = std::move(wrapper); }

    // Children in creation (= tab) order; only dialogs have any.
    virtual std::vector<NativeWindow*> Children() const { return {}; }
    NativeWindow* FindChild(int controlId) const;

    virtual std::string Text() const = 0;
    virtual void SetText(std::string_view text) = 0;
    virtual void SetFocus() = 0;
    virtual bool HasFocus() const = 0;
    virtual bool IsVisible() const = 0;
    virtual void Show(bool visible) = 0;
    virtual bool IsEnabled() const = 0;
    virtual void Enable(bool enabled) = 0;
    // Client rectangle in pixels: left and top are 0.
    virtual RECT ClientRect() const = 0;
    // Position and size in the parent's client coordinates (pixels).
    virtual RECT WindowRect() const = 0;
    virtual bool IsIconic() const { return false; }
    virtual void Iconize(bool /*iconic*/) {}

    // WM_SETICON / WM_GETICON; big is ICON_BIG. Returns the previous icon.
    virtual HICON SetIcon(bool big, HICON icon);
    HICON Icon(bool big) const { return big ? bigIcon_ : smallIcon_; }

    // The list of a list box or combo box; null for other kinds.
    virtual NativeListControl* List() { return nullptr; }
    // A device context for painting this window, valid until the returned object is destroyed.
    virtual std::unique_ptr<DeviceContext> BeginPaint() = 0;

    // Dialogs only: the window menu (created on first use) and reverting it.
    virtual MenuModel* SystemMenu() { return nullptr; }
    virtual void RevertSystemMenu() {}
    // Dialogs only: runs the modal loop until EndModal; returns EndModal's result.
    virtual int RunModal() { return -1; }
    virtual void EndModal(int /*result*/) {}

private:
    WindowKind kind_;
    int controlId_;
    DWORD style_;
    NativeWindow* parent_;
    HWND handle_;
    WindowTarget* target_ = nullptr;
    std::unique_ptr<WindowTarget> wrapper_;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
};

// The item operations of list boxes and combo boxes. Indices and results follow LB_/CB_ messages:
// -1 (LB_ERR, CB_ERR) reports a missing item.
class NativeListControl {
public:
    virtual ~NativeListControl() = default;
    virtual int AddItem(std::string_view text) = 0;
    virtual int DeleteItem(int index) = 0;
    virtual int ItemCount() const = 0;
    // Writes the item's text into text and returns true, or returns false without writing.
    virtual bool ItemText(int index, std::string& text) const = 0;
    virtual int Selection() const = 0;
    // Selects index (-1 clears); no notification. Returns index, or -1 when index names no item
    // (the selection is then cleared, as the controls do).
    virtual int Select(int index) = 0;
};

}  // namespace win32
