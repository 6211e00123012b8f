#include "gl/surfaceless_display.h"

#include <mutex>
#include <stdexcept>

namespace gl {

namespace {

// Guards the shared display and the count of living display objects. EGL hands out one display
// per platform and eglInitialize counts nothing, so an object going while a new one is made for
// the same display must not terminate it under the new one.
std::mutex displayGuard;
std::weak_ptr<const SurfacelessDisplay> sharedDisplay;
int livingDisplays = 0;

}  // namespace

std::shared_ptr<const SurfacelessDisplay> SurfacelessDisplay::Acquire() {
    const std::scoped_lock lock(displayGuard);
    if (auto living = sharedDisplay.lock()) {
        return living;
    }
    if (!epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_EXT_platform_base") ||
        !epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_MESA_platform_surfaceless")) {
        throw std::runtime_error("EGL has no surfaceless platform (EGL_MESA_platform_surfaceless)");
    }
    const EGLDisplay display =
        eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0;
    EGLint minor = 0;
    if (display == EGL_NO_DISPLAY || eglInitialize(display, &major, &minor) != EGL_TRUE) {
        throw std::runtime_error("the EGL surfaceless display does not initialise");
    }
    std::shared_ptr<const SurfacelessDisplay> made(new SurfacelessDisplay(display));
    ++livingDisplays;
    sharedDisplay = made;
    return made;
}

SurfacelessDisplay::~SurfacelessDisplay() {
    const std::scoped_lock lock(displayGuard);
    if (--livingDisplays == 0) {
        eglTerminate(display_);
    }
}

}  // namespace gl
