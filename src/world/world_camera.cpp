#include "world/world_camera.h"

#include <cmath>

namespace world {

std::array<double, 9> ViewRotation(const Camera& camera) {
    // Direct3D's RotationZ(yaw) then RotationX(pitch), both for row vectors.
    const double cy = std::cos(camera.yaw);
    const double sy = std::sin(camera.yaw);
    const double cp = std::cos(camera.pitch);
    const double sp = std::sin(camera.pitch);
    const std::array<double, 9> z{cy, sy, 0.0, -sy, cy, 0.0, 0.0, 0.0, 1.0};
    const std::array<double, 9> x{1.0, 0.0, 0.0, 0.0, cp, sp, 0.0, -sp, cp};
    std::array<double, 9> product{};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            for (int k = 0; k < 3; ++k) {
                product[row * 3 + column] += z[row * 3 + k] * x[k * 3 + column];
            }
        }
    }
    return product;
}

std::array<double, 3> ToView(const Camera& camera, double dx, double dy, double dz) {
    const std::array<double, 9> r = ViewRotation(camera);
    return {dx * r[0] + dy * r[3] + dz * r[6], dx * r[1] + dy * r[4] + dz * r[7],
            dx * r[2] + dy * r[5] + dz * r[8]};
}

}  // namespace world
