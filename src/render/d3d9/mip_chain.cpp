#include "render/d3d9/mip_chain.h"

#include <algorithm>

namespace velmora::d3d9 {

UINT FullMipChainLength(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT size = std::max(width, height); size > 1; size /= 2) {
        ++levels;
    }
    return levels;
}

}  // namespace velmora::d3d9
