#pragma once
// An in-memory window: text, visibility, enabling, position and focus, no pixels.

#include <string>

#include "app/platform/headless/desktop.h"
#include "app/platform/win32/native_window.h"

namespace headless {

class HeadlessWindow : public win32::NativeWindow {
public:
    HeadlessWindow(Desktop& system, win32::WindowKind kind, int controlId, DWORD style,
                   win32::NativeWindow* parent, RECT rect, std::string text);
    ~HeadlessWindow() override;

    std::string Text() const override { return text_; }
    void SetText(std::string_view text) override { text_ = text; }
    void SetFocus() override;
    bool HasFocus() const override;
    bool IsVisible() const override { return visible_; }
    void Show(bool visible) override { visible_ = visible; }
    bool IsEnabled() const override { return enabled_; }
    void Enable(bool enabled) override { enabled_ = enabled; }
    RECT ClientRect() const override;
    RECT WindowRect() const override { return rect_; }
    std::unique_ptr<win32::DeviceContext> BeginPaint() override;

    // Whether a mouse move over this control is the control's own (so the dialog never sees it).

protected:
    Desktop& System() const { return system_; }

private:
    Desktop& system_;
    RECT rect_;
    std::string text_;
    bool visible_;
    bool enabled_;
};

}  // namespace headless
