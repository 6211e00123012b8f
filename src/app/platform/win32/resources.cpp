#include "app/platform/win32/resources.h"

#include <map>
#include <memory>

namespace win32 {

namespace {

struct ResourceModule {
    std::map<UINT, DialogTemplate> templates;
    // unique_ptr keeps each icon at a fixed address: its address is its handle.
    std::map<UINT, std::unique_ptr<IconResource>> icons;
};

ResourceModule& Module() {
    static ResourceModule module;
    return module;
}

}  // namespace

void RegisterDialogTemplate(UINT id, DialogTemplate dialogTemplate) {
    Module().templates[id] = std::move(dialogTemplate);
}

const DialogTemplate* FindDialogTemplate(UINT id) {
    const auto& templates = Module().templates;
    const auto found = templates.find(id);
    return found == templates.end() ? nullptr : &found->second;
}

bool RegisterIcon(UINT id, IconResource icon) {
    if (icon.images.empty() || !icon.IsWellFormed()) {
        return false;
    }
    auto& slot = Module().icons[id];
    if (slot) {
        *slot = std::move(icon);
    } else {
        slot = std::make_unique<IconResource>(std::move(icon));
    }
    return true;
}

HICON FindIcon(UINT id) {
    const auto& icons = Module().icons;
    const auto found = icons.find(id);
    if (found == icons.end()) {
        return nullptr;
    }
    return reinterpret_cast<HICON>(found->second.get());
}

const IconResource* IconFromHandle(HICON icon) {
    if (icon == nullptr) {
        return nullptr;
    }
    for (const auto& entry : Module().icons) {
        if (reinterpret_cast<HICON>(entry.second.get()) == icon) {
            return entry.second.get();
        }
    }
    return nullptr;
}

void ClearResources() {
    Module().templates.clear();
    Module().icons.clear();
}

}  // namespace win32
