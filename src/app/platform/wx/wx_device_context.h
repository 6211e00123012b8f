#pragma once
// A device context on a wx window: the paint DC inside its paint event, a client DC otherwise.

#include "app/platform/win32/device_context.h"

#include <memory>

// wx after our headers: it defines TRUE and FALSE as macros.
#include <wx/dc.h>
#include <wx/window.h>

namespace wx {

class WxDeviceContext : public win32::DeviceContext {
public:
    WxDeviceContext(wxWindow& window, bool insidePaintEvent);
    ~WxDeviceContext() override;

    void DrawIcon(int x, int y, const win32::IconImage& image) override;

private:
    std::unique_ptr<wxDC> dc_;
};

}  // namespace wx
