#pragma once
// The process's EGL display on Mesa's surfaceless platform (no X server or window needed),
// and making a 4.5 core context on it.

#include <epoxy/egl.h>

namespace velmora::d3d9::gl {

// Initialised on first use and kept for the process: every context lives on it, and
// terminating it under a living context would break that context. EGL_NO_DISPLAY when the
// platform is missing.
EGLDisplay SurfacelessDisplay();

// An OpenGL 4.5 core context for `surfaceType` (0 for none, EGL_PBUFFER_BIT for pbuffers),
// with its config; EGL_NO_CONTEXT on failure.
struct EglContextAndConfig {
    EGLContext context = EGL_NO_CONTEXT;
    EGLConfig config = nullptr;
};
EglContextAndConfig CreateCoreContext(EGLDisplay display, EGLint surfaceType);

}  // namespace velmora::d3d9::gl
