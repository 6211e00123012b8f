#pragma once
// The gl backend of Direct3D 9: selection, and reading back the picture of a device.
//
//     UseDirect3DBackend(velmora::d3d9::gl::GlBackend());
//     auto target = velmora::d3d9::gl::OffscreenTarget::Create(512, 512);   // headless
//     ... CreateDevice with target->Window() as hDeviceWindow, draw, Present ...
//     auto pixels = velmora::d3d9::gl::ReadBackBuffer(device);
//
// In the viewer the window toolkit registers its GL canvas as a win32::GlSurface (gl_surface.h)
// under the viewport's HWND instead.

#include <cstdint>
#include <optional>
#include <vector>

#include "render/d3d9/direct3d_backend.h"

namespace velmora::d3d9::gl {

// The factory of gl IDirect3D9 objects, for UseDirect3DBackend.
Direct3DFactory GlBackend();

struct BackBufferPixels {
    UINT width = 0;
    UINT height = 0;
    std::vector<std::uint8_t> rgba;  // width * 4 bytes a row, top row first; alpha 255

    // The pixel at column x, row y as 0xAARRGGBB (a D3DCOLOR).
    D3DCOLOR At(UINT x, UINT y) const;
};

// The back buffer of a device of this backend as it is now (after Present it still holds the
// presented picture); nullopt for other devices or when the device's context is gone.
std::optional<BackBufferPixels> ReadBackBuffer(IDirect3DDevice9* device);

// The first GL error code raised in the device's context since the last call (0 when none),
// clearing them all: for tests that a frame's GL work was well formed.
unsigned TakeGlError(IDirect3DDevice9* device);

}  // namespace velmora::d3d9::gl
