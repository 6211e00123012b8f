#pragma once
// The viewer's camera over the whole world: a position in world units and two angles in
// radians. The view moves the world by -position, turns it about z by yaw, then about x by
// pitch, in Direct3D's left-handed space with z up and row vectors, so a camera string means the
// same here as in the viewer. Sector A_B's sample (r, c) lies at (1260 A + 10 r, 1260 B + 10 c).

#include <array>

namespace world {

struct Camera {
    double x = 600.0;
    double y = 600.0;
    double z = 3000.0;
    double yaw = 0.0;
    double pitch = 3.1;
};

// The viewer's vertical field of view, and its near plane in world units.
inline constexpr double FieldOfView = 3.14159265358979323846 / 4.0;
inline constexpr double NearPlane = 1.0;

// A point relative to the camera, turned into view space: x to the right, y up, z ahead.
std::array<double, 3> ToView(const Camera& camera, double dx, double dy, double dz);

// The rotation ToView applies, as a row-major 3 x 3 matrix for row vectors: view = d * R.
std::array<double, 9> ViewRotation(const Camera& camera);

}  // namespace world
