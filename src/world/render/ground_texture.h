#pragma once
// The ground texture on the GPU: the picture with its whole mip chain, filtered linearly within
// and between levels and repeating in both directions.

#include "gl/object.h"
#include "world/render/ground_image.h"

namespace world::render {

// Needs a current context. Throws std::runtime_error when the picture is larger than the
// driver's textures.
gl::Texture MakeGroundTexture(const GroundImage& image);

}  // namespace world::render
