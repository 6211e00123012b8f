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

#include <optional>

#include "render/d3d9/direct3d_backend.h"
#include "render/d3d9/gl/back_buffer_pixels.h"

namespace velmora::d3d9::gl {

// The factory of gl IDirect3D9 objects, for UseDirect3DBackend.
Direct3DFactory GlBackend();

// The back buffer of a device of this backend as it is now (after Present it still holds the
// presented picture); nullopt for other devices or when the device's context is gone.
std::optional<BackBufferPixels> ReadBackBuffer(IDirect3DDevice9* device);

// The first GL error code raised in the device's context since the last call (0 when none),
// clearing them all: for tests that a frame's GL work was well formed.
unsigned TakeGlError(IDirect3DDevice9* device);

}  // namespace velmora::d3d9::gl
