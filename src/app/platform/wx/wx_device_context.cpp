#include "app/platform/wx/wx_device_context.h"

#include "app/platform/wx/wx_icon_bitmap.h"

// wx after our headers: it defines TRUE and FALSE as macros.
#include <wx/dcclient.h>

namespace wx {

WxDeviceContext::WxDeviceContext(wxWindow& window, bool insidePaintEvent) {
    if (insidePaintEvent) {
        dc_ = std::make_unique<wxPaintDC>(&window);
    } else {
        dc_ = std::make_unique<wxClientDC>(&window);
    }
}

WxDeviceContext::~WxDeviceContext() = default;

void WxDeviceContext::DrawIcon(int x, int y, const win32::IconImage& image) {
    dc_->DrawBitmap(BitmapOfIcon(image), x, y, true);
}

}  // namespace wx
