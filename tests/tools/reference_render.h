#pragma once
// An independent software rendering of the viewer's frame, written from Direct3D 9's published
// rules rather than from the program's GL path: row-vector transforms, the [0, 1] depth range,
// pixel centres at integer screen coordinates, clockwise triangles on screen drawn and
// counter-clockwise ones culled, every second strip triangle reordered, LESSEQUAL depth,
// perspective- correct Gouraud colour and texture coordinates, bilinear wrapped sampling of the top
// texture level, texture x diffuse.

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace reference {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // top row first
};

struct Camera {
    float x = 600.0f, y = 600.0f, z = 3000.0f, yaw = 0.0f, pitch = 3.1f;
};

using Matrix = std::array<std::array<double, 4>, 4>;

inline Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix out{};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            for (int k = 0; k < 4; ++k) {
                out[i][j] += a[i][k] * b[k][j];
            }
        }
    }
    return out;
}

inline Matrix Identity() {
    Matrix m{};
    for (int i = 0; i < 4; ++i) {
        m[i][i] = 1.0;
    }
    return m;
}

// View x projection of the camera, as the viewer builds them (view = T(-p) Rz(yaw) Rx(pitch);
// left-handed perspective, fov pi/4, aspect 1, near 1, far 5000).
inline Matrix ViewProjection(const Camera& camera) {
    Matrix translation = Identity();
    translation[3] = {-double(camera.x), -double(camera.y), -double(camera.z), 1.0};
    Matrix rz = Identity();
    rz[0][0] = std::cos(camera.yaw);
    rz[0][1] = std::sin(camera.yaw);
    rz[1][0] = -std::sin(camera.yaw);
    rz[1][1] = std::cos(camera.yaw);
    Matrix rx = Identity();
    rx[1][1] = std::cos(camera.pitch);
    rx[1][2] = std::sin(camera.pitch);
    rx[2][1] = -std::sin(camera.pitch);
    rx[2][2] = std::cos(camera.pitch);
    const double yScale = 1.0 / std::tan(0.78539819 / 2.0);
    const double zn = 1.0, zf = 5000.0;
    Matrix projection{};
    projection[0][0] = yScale;
    projection[1][1] = yScale;
    projection[2][2] = zf / (zf - zn);
    projection[2][3] = 1.0;
    projection[3][2] = -zn * zf / (zf - zn);
    return Multiply(Multiply(Multiply(translation, rz), rx), projection);
}

struct Vertex {
    double x, y, z;
    double shade;  // 0..1
    double u, v;
};

// The mesh of a heightmap's 127 x 127 samples (row r, column c at index 127 r + c).
inline std::vector<Vertex> Mesh(const std::vector<std::uint16_t>& samples) {
    int low = 65535, high = 0;
    for (int s : samples) {
        if (s < low && s >= 101) {
            low = s;
        }
        high = std::max(high, s);
    }
    const int range = high == low ? 1 : high - low;
    const float step = 1.0f / 7.0f;
    std::vector<Vertex> vertices(127 * 127);
    for (int c = 0; c < 127; ++c) {
        for (int r = 0; r < 127; ++r) {
            const int s = samples[127 * r + c];
            const int shade = s < low ? 255 : std::min(255, (s - low) * 256 / range);
            vertices[127 * c + r] = {10.0 * r,
                                     10.0 * c,
                                     s * 0.25,
                                     shade / 255.0,
                                     double(float(r) * step),
                                     double(float(c) * step)};
        }
    }
    return vertices;
}

struct Projected {
    double sx, sy, depth, invW;
    double shade, u, v;  // already divided by w
};

inline std::array<double, 3> SampleBilinearWrapped(const Image& texture, double u, double v) {
    const double tx = u * texture.width - 0.5, ty = v * texture.height - 0.5;
    const double fx = std::floor(tx), fy = std::floor(ty);
    const double ax = tx - fx, ay = ty - fy;
    auto texel = [&](long x, long y, int channel) {
        const long wx = ((x % texture.width) + texture.width) % texture.width;
        const long wy = ((y % texture.height) + texture.height) % texture.height;
        return texture.rgba[(std::size_t(wy) * texture.width + std::size_t(wx)) * 4 + channel] /
               255.0;
    };
    std::array<double, 3> out{};
    const long x0 = long(fx), y0 = long(fy);
    for (int ch = 0; ch < 3; ++ch) {
        const double top = texel(x0, y0, ch) * (1 - ax) + texel(x0 + 1, y0, ch) * ax;
        const double bottom = texel(x0, y0 + 1, ch) * (1 - ax) + texel(x0 + 1, y0 + 1, ch) * ax;
        out[ch] = top * (1 - ay) + bottom * ay;
    }
    return out;
}

inline Image Render(const std::vector<std::uint16_t>& samples, const Camera& camera, int width,
                    int height, const std::optional<Image>& texture) {
    Image frame{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 4)};
    for (std::size_t i = 0; i < frame.rgba.size(); i += 4) {
        frame.rgba[i + 2] = 255;
        frame.rgba[i + 3] = 255;
    }
    std::vector<double> depth(std::size_t(width) * height, 1.0);
    const Matrix m = ViewProjection(camera);
    const std::vector<Vertex> mesh = Mesh(samples);

    std::vector<std::optional<Projected>> projected(mesh.size());
    for (std::size_t i = 0; i < mesh.size(); ++i) {
        const Vertex& p = mesh[i];
        double clip[4];
        for (int j = 0; j < 4; ++j) {
            clip[j] = p.x * m[0][j] + p.y * m[1][j] + p.z * m[2][j] + m[3][j];
        }
        if (clip[3] <= 1e-9 || clip[2] < 0.0) {
            continue;  // behind or before the near plane: the default camera sees none such
        }
        const double invW = 1.0 / clip[3];
        projected[i] = Projected{(1.0 + clip[0] * invW) * width / 2.0,
                                 (1.0 - clip[1] * invW) * height / 2.0,
                                 clip[2] * invW,
                                 invW,
                                 p.shade * invW,
                                 p.u * invW,
                                 p.v * invW};
    }

    auto drawTriangle = [&](const Projected& a, const Projected& b, const Projected& c) {
        const double area = (b.sx - a.sx) * (c.sy - a.sy) - (b.sy - a.sy) * (c.sx - a.sx);
        if (area <= 0.0) {
            return;  // counter-clockwise on screen (y down): culled
        }
        const int x0 = std::max(0, int(std::ceil(std::min({a.sx, b.sx, c.sx}))));
        const int x1 = std::min(width - 1, int(std::floor(std::max({a.sx, b.sx, c.sx}))));
        const int y0 = std::max(0, int(std::ceil(std::min({a.sy, b.sy, c.sy}))));
        const int y1 = std::min(height - 1, int(std::floor(std::max({a.sy, b.sy, c.sy}))));
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                const double w0 = ((b.sx - x) * (c.sy - y) - (b.sy - y) * (c.sx - x)) / area;
                const double w1 = ((c.sx - x) * (a.sy - y) - (c.sy - y) * (a.sx - x)) / area;
                const double w2 = 1.0 - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0) {
                    continue;
                }
                const double z = w0 * a.depth + w1 * b.depth + w2 * c.depth;
                double& stored = depth[std::size_t(y) * width + x];
                if (z > stored) {
                    continue;
                }
                stored = z;
                const double invW = w0 * a.invW + w1 * b.invW + w2 * c.invW;
                const double shade = (w0 * a.shade + w1 * b.shade + w2 * c.shade) / invW;
                std::array<double, 3> colour{shade, shade, shade};
                if (texture) {
                    const double u = (w0 * a.u + w1 * b.u + w2 * c.u) / invW;
                    const double v = (w0 * a.v + w1 * b.v + w2 * c.v) / invW;
                    const auto texel = SampleBilinearWrapped(*texture, u, v);
                    for (int ch = 0; ch < 3; ++ch) {
                        colour[ch] *= texel[ch];
                    }
                }
                std::uint8_t* out = &frame.rgba[(std::size_t(y) * width + x) * 4];
                for (int ch = 0; ch < 3; ++ch) {
                    out[ch] = std::uint8_t(std::lround(std::clamp(colour[ch], 0.0, 1.0) * 255.0));
                }
                out[3] = 255;
            }
        }
    };

    for (int s = 0; s < 126; ++s) {
        std::vector<int> strip;
        for (int k = 0; k < 127; ++k) {
            strip.push_back(127 * (s + 1) + k);
            strip.push_back(127 * s + k);
        }
        for (std::size_t i = 0; i + 2 < strip.size(); ++i) {
            // Every second triangle of a strip is taken as (v1, v3, v2) to keep one winding.
            const int a = strip[i];
            const int b = i % 2 == 0 ? strip[i + 1] : strip[i + 2];
            const int c = i % 2 == 0 ? strip[i + 2] : strip[i + 1];
            if (projected[a] && projected[b] && projected[c]) {
                drawTriangle(*projected[a], *projected[b], *projected[c]);
            }
        }
    }
    return frame;
}

}  // namespace reference
