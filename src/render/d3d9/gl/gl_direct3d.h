#pragma once
// The gl backend's IDirect3D9: CreateDevice finds the surface registered for the device window
// and makes a GlDevice on it.

#include "render/d3d9/d3d9.h"

namespace velmora::d3d9::gl {

// A new IDirect3D9 with one reference owned by the caller.
IDirect3D9* MakeGlDirect3D();

}  // namespace velmora::d3d9::gl
