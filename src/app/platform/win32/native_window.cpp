#include "app/platform/win32/native_window.h"

#include <cstdint>
#include <unordered_map>

namespace win32 {

namespace {

// Handles are serial numbers, never reused, so a stale handle cannot name a newer window.
struct HandleTable {
    std::uintptr_t lastSerial = 0;
    std::unordered_map<std::uintptr_t, NativeWindow*> windows;
};

HandleTable& Handles() {
    static HandleTable table;
    return table;
}

}  // namespace

NativeWindow::NativeWindow(WindowKind kind, int controlId, DWORD style, NativeWindow* parent)
    : kind_(kind), controlId_(controlId), style_(style), parent_(parent) {
    HandleTable& table = Handles();
    const std::uintptr_t serial = ++table.lastSerial;
    table.windows[serial] = this;
    handle_ = reinterpret_cast<HWND>(serial);
}

NativeWindow::~NativeWindow() {
    if (target_ != nullptr) {
        target_->DetachFromNative();
    }
    Handles().windows.erase(reinterpret_cast<std::uintptr_t>(handle_));
}

NativeWindow* NativeWindow::FromHandle(HWND handle) {
    const HandleTable& table = Handles();
    const auto found = table.windows.find(reinterpret_cast<std::uintptr_t>(handle));
    return found == table.windows.end() ? nullptr : found->second;
}

NativeWindow* NativeWindow::FindChild(int controlId) const {
    for (NativeWindow* child : Children()) {
        if (child->ControlId() == controlId) {
            return child;
        }
    }
    return nullptr;
}

HICON NativeWindow::SetIcon(bool big, HICON icon) {
    HICON& slot = big ? bigIcon_ : smallIcon_;
    HICON previous = slot;
    slot = icon;
    return previous;
}

}  // namespace win32
