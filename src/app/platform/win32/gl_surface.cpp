#include "app/platform/win32/gl_surface.h"

#include <map>
#include <utility>

namespace win32 {

namespace {

// Windows are made and devices created on the user-interface thread only: no lock.
std::map<HWND, std::weak_ptr<GlSurface>>& Registry() {
    static std::map<HWND, std::weak_ptr<GlSurface>> registry;
    return registry;
}

}  // namespace

void RegisterGlSurface(HWND window, std::weak_ptr<GlSurface> surface) {
    Registry()[window] = std::move(surface);
}

void UnregisterGlSurface(HWND window) {
    Registry().erase(window);
}

std::shared_ptr<GlSurface> FindGlSurface(HWND window) {
    const auto found = Registry().find(window);
    if (found == Registry().end()) {
        return nullptr;
    }
    return found->second.lock();
}

ScopedGlSurfaceRegistration::ScopedGlSurfaceRegistration(HWND window,
                                                         std::weak_ptr<GlSurface> surface)
    : window_(window) {
    RegisterGlSurface(window, std::move(surface));
}

ScopedGlSurfaceRegistration::~ScopedGlSurfaceRegistration() {
    UnregisterGlSurface(window_);
}

}  // namespace win32
