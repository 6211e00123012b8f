#pragma once
// The length of a texture's full mip chain, as CreateTexture with Levels = 0 makes it on every
// backend.

#include <windows.h>

namespace velmora::d3d9 {

// The number of levels of a full mip chain down to 1 x 1.
UINT FullMipChainLength(UINT width, UINT height);

}  // namespace velmora::d3d9
