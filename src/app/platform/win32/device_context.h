#pragma once
// The backend's side of a device context: what painting code draws through an HDC.

#include "app/platform/win32/icon_resource.h"
#include "app/platform/win32/win_types.h"

namespace win32 {

class DeviceContext {
public:
    DeviceContext();
    virtual ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    // The live device context a handle names, or null.
    static DeviceContext* FromHandle(HDC handle);
    HDC Handle() const;

    // Draws image with its top-left corner at (x, y) in the window's client coordinates; parts
    // outside the window are clipped.
    virtual void DrawIcon(int x, int y, const IconImage& image) = 0;
};

}  // namespace win32
