#include "world/camera_path.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <string>

#include "text/printable_name.h"

namespace world {

namespace {

std::array<double, 5> Components(const Camera& camera) {
    return {camera.x, camera.y, camera.z, camera.yaw, camera.pitch};
}

bool ParseCamera(const std::string& line, Camera& camera) {
    std::array<double, 5> values{};
    const char* at = line.c_str();
    for (std::size_t k = 0; k < values.size(); ++k) {
        char* end = nullptr;
        values[k] = std::strtod(at, &end);
        if (end == at || !std::isfinite(values[k])) {
            return false;
        }
        at = end;
        while (*at == ' ' || *at == '\t' || *at == '\r') {
            ++at;
        }
        if (k + 1 < values.size()) {
            if (*at != ',') {
                return false;
            }
            ++at;
        }
    }
    if (*at != '\0') {
        return false;
    }
    camera = {values[0], values[1], values[2], values[3], values[4]};
    return true;
}

// The uniform Catmull-Rom segment from p1 to p2 at t in [0, 1].
double CatmullRom(double p0, double p1, double p2, double p3, double t) {
    const double t2 = t * t;
    const double t3 = t2 * t;
    return 0.5 * (2.0 * p1 + (p2 - p0) * t + (2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3) * t2 +
                  (3.0 * p1 - p0 - 3.0 * p2 + p3) * t3);
}

}  // namespace

std::vector<Camera> ReadCameraPath(const std::filesystem::path& file) {
    std::ifstream in(file);
    const std::string name = text::PrintableName(file.string());
    if (!in) {
        throw CameraPathError("cannot read the camera path " + name);
    }
    std::vector<Camera> path;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        Camera camera;
        if (!ParseCamera(line.substr(first), camera)) {
            throw CameraPathError(name + ":" + std::to_string(number) +
                                  ": not a camera X,Y,Z,YAW,PITCH");
        }
        path.push_back(camera);
    }
    if (in.bad()) {
        throw CameraPathError("cannot read the camera path " + name);
    }
    if (path.empty()) {
        throw CameraPathError("the camera path " + name + " holds no camera");
    }
    return path;
}

Camera PathCamera(const std::vector<Camera>& path, int frame, int frames) {
    // The angles unwrapped, so that each step between cameras is the short way round.
    std::vector<std::array<double, 5>> points;
    for (const Camera& camera : path) {
        std::array<double, 5> point = Components(camera);
        if (!points.empty()) {
            for (std::size_t k = 3; k < 5; ++k) {
                const double turn = point[k] - points.back()[k];
                point[k] -= 2.0 * std::numbers::pi * std::round(turn / (2.0 * std::numbers::pi));
            }
        }
        points.push_back(point);
    }
    const auto last = static_cast<int>(points.size()) - 1;
    const double along = frames <= 1 ? 0.0 : static_cast<double>(frame) * last / (frames - 1);
    const int segment = std::clamp(static_cast<int>(std::floor(along)), 0, std::max(last - 1, 0));
    const double t = std::clamp(along - segment, 0.0, 1.0);
    const auto at = [&points, last](int index) { return points[std::clamp(index, 0, last)]; };
    const std::array<double, 5> p0 = at(segment - 1);
    const std::array<double, 5> p1 = at(segment);
    const std::array<double, 5> p2 = at(segment + 1);
    const std::array<double, 5> p3 = at(segment + 2);
    std::array<double, 5> result{};
    for (std::size_t k = 0; k < result.size(); ++k) {
        result[k] = CatmullRom(p0[k], p1[k], p2[k], p3[k], t);
    }
    return {result[0], result[1], result[2], result[3], result[4]};
}

}  // namespace world
