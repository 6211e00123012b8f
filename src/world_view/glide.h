#pragma once
// A smooth flight from one camera to another over a fixed time, easing in and out, turning the
// short way round.

#include "world/world_camera.h"

namespace world_view {

class Glide {
public:
    Glide(const world::Camera& from, const world::Camera& to, double seconds);

    // The camera `elapsed` seconds after the start; the end camera from then on.
    world::Camera At(double elapsed) const;
    bool Over(double elapsed) const { return elapsed >= seconds_; }

private:
    world::Camera from_;
    world::Camera to_;
    double seconds_;
};

}  // namespace world_view
