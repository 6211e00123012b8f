#pragma once
// A window that the gl backend can present into, and the registry through which
// IDirect3D9::CreateDevice finds the surface of its hDeviceWindow.
//
// The window toolkit implements GlSurface (the viewer's wxGLCanvas) and registers it under the
// HWND it hands to the system. The surface's context must be OpenGL 4.5 core (or 3.3 core with
// ARB_clip_control and ARB_viewport_array); it is shared by every device made for that window.

#include <memory>

#include <windows.h>

namespace win32 {

class GlSurface {
public:
    virtual ~GlSurface() = default;

    // Makes the surface's GL context current on this thread; false when that is impossible
    // (for example the window is gone), after which the device skips its GL work.
    virtual bool MakeCurrent() = 0;

    // The window's client area in pixels (the default framebuffer's size).
    virtual SIZE ClientSizeInPixels() const = 0;

    // Shows the default framebuffer's contents.
    virtual void SwapBuffers() = 0;

    // Asks for `interval` vertical retraces per swap (0 = none). Only where the platform offers
    // it; returns false when it does not, which is not an error.
    virtual bool SetSwapInterval(int interval) = 0;

    // True when the surface has a default framebuffer that Present blits into; an offscreen
    // surface has none and keeps the picture in the back buffer.
    virtual bool HasWindowFramebuffer() const { return true; }
};

// Registers `surface` for `window`, replacing any earlier registration. The registry does not
// own the surface: it is found only while something else keeps it alive. Devices created for
// the window hold it until they are released.
void RegisterGlSurface(HWND window, std::weak_ptr<GlSurface> surface);

// Forgets the surface registered for `window`; devices already created keep theirs.
void UnregisterGlSurface(HWND window);

// The living surface registered for `window`, or null.
std::shared_ptr<GlSurface> FindGlSurface(HWND window);

// Registers a surface for the lifetime of this object.
class ScopedGlSurfaceRegistration {
public:
    ScopedGlSurfaceRegistration(HWND window, std::weak_ptr<GlSurface> surface);
    ~ScopedGlSurfaceRegistration();
    ScopedGlSurfaceRegistration(const ScopedGlSurfaceRegistration&) = delete;
    ScopedGlSurfaceRegistration& operator=(const ScopedGlSurfaceRegistration&) = delete;

private:
    HWND window_;
};

}  // namespace win32
