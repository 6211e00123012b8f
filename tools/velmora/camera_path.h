#pragma once
// A camera path written by hand: one camera a line as X,Y,Z,YAW,PITCH (the viewer's units and
// angles, as --camera takes them), blank lines and lines starting with # ignored. Between its
// cameras the path runs as a Catmull-Rom spline through every one of them.

#include <filesystem>
#include <vector>

#include "world/world_camera.h"

// Throws CommandFailure (exit 1) naming the file and line that cannot be read, or a file
// without a camera.
std::vector<world::Camera> ReadCameraPath(const std::filesystem::path& file);

// Frame `frame` of `frames` spread evenly along the path: the first at the first camera, the
// last at the last. Each angle turns the short way from one camera to the next.
world::Camera PathCamera(const std::vector<world::Camera>& path, int frame, int frames);
