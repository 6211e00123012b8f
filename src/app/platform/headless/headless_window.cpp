#include "app/platform/headless/headless_window.h"

#include "app/platform/headless/desktop.h"
#include "app/platform/win32/device_context.h"
#include "app/platform/win32/window_styles.h"

namespace headless {

namespace {

// Records every icon drawn, for tests.
class RecordingDeviceContext : public win32::DeviceContext {
public:
    RecordingDeviceContext(Desktop& system, HWND window) : system_(system), window_(window) {}

    void DrawIcon(int x, int y, const win32::IconImage& image) override {
        system_.RecordIconDrawn(DrawnIcon{window_, x, y, image.width, image.height});
    }

private:
    Desktop& system_;
    HWND window_;
};

}  // namespace

HeadlessWindow::HeadlessWindow(Desktop& system, win32::WindowKind kind, int controlId, DWORD style,
                               win32::NativeWindow* parent, RECT rect, std::string text)
    : win32::NativeWindow(kind, controlId, style, parent),
      system_(system),
      rect_(rect),
      text_(std::move(text)),
      visible_((style & WS_VISIBLE) != 0),
      enabled_((style & WS_DISABLED) == 0) {}

HeadlessWindow::~HeadlessWindow() {
    system_.ForgetWindow(Handle());
}

void HeadlessWindow::SetFocus() {
    system_.SetFocusedWindow(Handle());
}

bool HeadlessWindow::HasFocus() const {
    return system_.FocusedWindow() == Handle();
}

RECT HeadlessWindow::ClientRect() const {
    return RECT{0, 0, rect_.right - rect_.left, rect_.bottom - rect_.top};
}

std::unique_ptr<win32::DeviceContext> HeadlessWindow::BeginPaint() {
    return std::make_unique<RecordingDeviceContext>(system_, Handle());
}

}  // namespace headless
