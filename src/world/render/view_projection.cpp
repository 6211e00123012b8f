#include "world/render/view_projection.h"

#include <cmath>

namespace world::render {

namespace {

// World units between neighbouring samples, and per unit of a sample's height.
constexpr double SampleSpacing = 10.0;

constexpr int TextureRepeat = 7;

}  // namespace

ViewProjection MakeViewProjection(const Camera& camera, int width, int height) {
    ViewProjection made;
    const std::array<double, 9> rotation = ViewRotation(camera);
    for (std::size_t k = 0; k < rotation.size(); ++k) {
        made.rotation[k] = static_cast<float>(rotation[k]);
    }
    const double yScale = 1.0 / std::tan(FieldOfView / 2.0);
    const double aspect = height > 0 ? static_cast<double>(width) / height : 1.0;
    made.yScale = static_cast<float>(yScale);
    made.xScale = static_cast<float>(yScale / aspect);
    made.nearPlane = static_cast<float>(NearPlane);
    return made;
}

std::array<float, 3> PatchOffset(const TerrainPatch& patch, const Camera& camera) {
    return {static_cast<float>(SampleSpacing * static_cast<double>(patch.originX) - camera.x),
            static_cast<float>(SampleSpacing * static_cast<double>(patch.originY) - camera.y),
            static_cast<float>(-camera.z)};
}

int TexturePhase(std::int64_t sample) {
    const auto phase = static_cast<int>(sample % TextureRepeat);
    return phase < 0 ? phase + TextureRepeat : phase;
}

}  // namespace world::render
