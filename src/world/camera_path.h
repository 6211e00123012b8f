#pragma once
// A camera path written by hand: one camera a line as X,Y,Z,YAW,PITCH (the viewer's units and
// angles, as a camera string gives them), blank lines and lines starting with # ignored. Between
// its cameras the path runs as a Catmull-Rom spline through every one of them.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "world/world_camera.h"

namespace world {

// A camera path that cannot be read, in one line naming the file (and the line at fault).
class CameraPathError : public std::runtime_error {
public:
    explicit CameraPathError(const std::string& message) : std::runtime_error(message) {}
};

// Throws CameraPathError naming the file and line that cannot be read, or a file without a
// camera.
std::vector<Camera> ReadCameraPath(const std::filesystem::path& file);

// Frame `frame` of `frames` spread evenly along the path: the first at the first camera, the
// last at the last. Each angle turns the short way from one camera to the next.
Camera PathCamera(const std::vector<Camera>& path, int frame, int frames);

}  // namespace world
