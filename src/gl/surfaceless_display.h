#pragma once
// The EGL display of Mesa's surfaceless platform: contexts with no X server or window.

#include <memory>

#include <epoxy/egl.h>

namespace gl {

class SurfacelessDisplay {
public:
    // The initialised display, shared by all who hold it and terminated when the last lets go:
    // every context on it holds it, as terminating it would break them. Throws
    // std::runtime_error when the platform is missing.
    static std::shared_ptr<const SurfacelessDisplay> Acquire();

    ~SurfacelessDisplay();
    SurfacelessDisplay(const SurfacelessDisplay&) = delete;
    SurfacelessDisplay& operator=(const SurfacelessDisplay&) = delete;

    EGLDisplay handle() const { return display_; }

private:
    explicit SurfacelessDisplay(EGLDisplay display) : display_(display) {}

    EGLDisplay display_;
};

}  // namespace gl
