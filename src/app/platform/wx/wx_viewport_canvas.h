#pragma once
// The viewport control: a wxGLCanvas that the Direct3D stand-in presents into, registered as the
// GL surface of its window handle.

#include "app/platform/win32/gl_surface.h"

#include <memory>

// wx after our headers: it defines TRUE and FALSE as macros.
#include <wx/glcanvas.h>

namespace wx {

class ViewportSurface;

class ViewportCanvas : public wxGLCanvas {
public:
    ViewportCanvas(wxWindow* parent, const wxPoint& position, const wxSize& size);
    ~ViewportCanvas() override;

    // Registers the surface under handle until this canvas goes.
    void RegisterSurface(HWND handle);

private:
    friend class ViewportSurface;
    std::unique_ptr<wxGLContext> context_;
    std::shared_ptr<ViewportSurface> surface_;
    HWND registeredAs_ = nullptr;
};

}  // namespace wx
