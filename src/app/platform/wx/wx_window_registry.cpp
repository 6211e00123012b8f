#include "app/platform/wx/wx_window_registry.h"

// wx after our headers: it defines TRUE and FALSE as macros.
#include <wx/window.h>

namespace wx {

win32::NativeWindow* WxWindowRegistry::NativeOf(const wxWindow* window) const {
    for (const wxWindow* current = window; current != nullptr; current = current->GetParent()) {
        const auto found = natives_.find(current);
        if (found != natives_.end()) {
            return found->second;
        }
    }
    return nullptr;
}

}  // namespace wx
