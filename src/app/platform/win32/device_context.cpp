#include "app/platform/win32/device_context.h"

#include <unordered_set>

namespace win32 {

namespace {

std::unordered_set<const DeviceContext*>& LiveContexts() {
    static std::unordered_set<const DeviceContext*> contexts;
    return contexts;
}

}  // namespace

DeviceContext::DeviceContext() {
    LiveContexts().insert(this);
}

DeviceContext::~DeviceContext() {
    LiveContexts().erase(this);
}

DeviceContext* DeviceContext::FromHandle(HDC handle) {
    auto* context = reinterpret_cast<DeviceContext*>(handle);
    return LiveContexts().contains(context) ? context : nullptr;
}

HDC DeviceContext::Handle() const {
    return reinterpret_cast<HDC>(const_cast<DeviceContext*>(this));
}

}  // namespace win32
