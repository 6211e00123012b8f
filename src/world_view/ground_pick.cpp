#include "world_view/ground_pick.h"

#include <cmath>

namespace world_view {

std::optional<std::array<double, 3>> PickedPoint(const world::Camera& camera, int width, int height,
                                                 double px, double py, float depth) {
    if (!(depth > 0.0f) || width <= 0 || height <= 0) {
        return std::nullopt;
    }
    // The renderer's projection: clip (x xScale, y yScale, near, z) over w = view z.
    const double yScale = 1.0 / std::tan(world::FieldOfView / 2.0);
    const double xScale = yScale * height / width;
    const double viewZ = world::NearPlane / depth;
    // Pixel centres, row 0 at the top (clip y = +1).
    const double ndcX = 2.0 * (px + 0.5) / width - 1.0;
    const double ndcY = 1.0 - 2.0 * (py + 0.5) / height;
    const double viewX = ndcX * viewZ / xScale;
    const double viewY = ndcY * viewZ / yScale;
    // view = d R with R a rotation, so d = view R^T.
    const std::array<double, 9> r = world::ViewRotation(camera);
    return std::array<double, 3>{
        camera.x + viewX * r[0] + viewY * r[1] + viewZ * r[2],
        camera.y + viewX * r[3] + viewY * r[4] + viewZ * r[5],
        camera.z + viewX * r[6] + viewY * r[7] + viewZ * r[8],
    };
}

}  // namespace world_view
