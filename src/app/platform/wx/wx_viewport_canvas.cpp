#include "app/platform/wx/wx_viewport_canvas.h"

namespace wx {

namespace {

wxGLAttributes DisplayAttributes() {
    wxGLAttributes attributes;
    attributes.PlatformDefaults().RGBA().DoubleBuffer().Depth(24).EndList();
    return attributes;
}

std::unique_ptr<wxGLContext> CreateCoreContext(wxGLCanvas& canvas) {
    // 4.5 core first (llvmpipe offers it, 4.6 fails there); 3.3 core as a fallback.
    for (const auto& [major, minor] : {std::pair{4, 5}, std::pair{3, 3}}) {
        wxGLContextAttrs attributes;
        attributes.PlatformDefaults().CoreProfile().OGLVersion(major, minor).EndList();
        auto context = std::make_unique<wxGLContext>(&canvas, nullptr, &attributes);
        if (context->IsOK()) {
            return context;
        }
    }
    return nullptr;
}

}  // namespace

class ViewportSurface : public win32::GlSurface {
public:
    explicit ViewportSurface(ViewportCanvas& canvas) : canvas_(&canvas) {}

    // The canvas is gone: devices that still hold this surface draw nothing.
    void Orphan() { canvas_ = nullptr; }

    bool MakeCurrent() override {
        if (canvas_ == nullptr || !canvas_->context_) {
            return false;
        }
        // The GLX drawable exists once the dialog has been shown (the dialog window shows itself
        // before its initialisation for that reason).
        return canvas_->SetCurrent(*canvas_->context_);
    }

    SIZE ClientSizeInPixels() const override {
        if (canvas_ == nullptr) {
            return SIZE{0, 0};
        }
        const wxSize size = canvas_->GetClientSize();
        const double scale = canvas_->GetContentScaleFactor();
        return SIZE{static_cast<LONG>(size.x * scale + 0.5),
                    static_cast<LONG>(size.y * scale + 0.5)};
    }

    void SwapBuffers() override {
        if (canvas_ != nullptr && canvas_->IsShownOnScreen()) {
            canvas_->SwapBuffers();
        }
    }

    // wx offers no swap-interval control, and under Xvfb there is none to have.
    bool SetSwapInterval(int) override { return false; }

private:
    ViewportCanvas* canvas_;
};

ViewportCanvas::ViewportCanvas(wxWindow* parent, const wxPoint& position, const wxSize& size)
    : wxGLCanvas(parent, DisplayAttributes(), wxID_ANY, position, size, wxFULL_REPAINT_ON_RESIZE) {
    context_ = CreateCoreContext(*this);
    surface_ = std::make_shared<ViewportSurface>(*this);
}

ViewportCanvas::~ViewportCanvas() {
    if (registeredAs_ != nullptr) {
        win32::UnregisterGlSurface(registeredAs_);
    }
    surface_->Orphan();
}

void ViewportCanvas::RegisterSurface(HWND handle) {
    registeredAs_ = handle;
    win32::RegisterGlSurface(handle, surface_);
}

}  // namespace wx
