#include "world/render/terrain_program.h"

#include "gl/shader_program.h"

#include <string>

namespace world::render {

namespace {

constexpr const char* VertexSource = R"(#version 450 core
layout(std430, binding = 0) readonly buffer PatchHeights { uint heights[]; };
layout(std430, binding = 1) readonly buffer PatchPresence { uint presence[]; };
// Uploaded row-major and untransposed: rotation * v is the row vector v times the matrix.
layout(location = 0) uniform mat3 rotation;
layout(location = 1) uniform vec3 projection;
layout(location = 2) uniform vec3 origin;
layout(location = 3) uniform ivec4 grid;
layout(location = 4) uniform vec4 skirtDepth;
layout(location = 5) uniform uvec2 shading;
layout(location = 7) uniform int relief;
layout(location = 8) uniform bool hasAbsentPoints;
out float shade;
out vec2 texCoord;

uint SampleAt(int i, int j) {
    uint index = uint(i * grid.x + j);
    uint word = heights[index >> 1];
    return (index & 1u) == 0u ? (word & 0xFFFFu) : (word >> 16);
}

bool Present(int i, int j) {
    if (i < 0 || j < 0 || i >= grid.x || j >= grid.x) {
        return false;
    }
    uint index = uint(i * grid.x + j);
    return !hasAbsentPoints || ((presence[index >> 5] >> (index & 31u)) & 1u) != 0u;
}

// World height change per world unit across point (i, j) along one axis, from whichever of its
// two neighbours are there.
float Slope(int i, int j, int di, int dj, float centre) {
    bool before = Present(i - di, j - dj);
    bool after = Present(i + di, j + dj);
    float low = before ? float(SampleAt(i - di, j - dj)) : centre;
    float high = after ? float(SampleAt(i + di, j + dj)) : centre;
    int steps = int(before) + int(after);
    return steps == 0 ? 0.0 : (high - low) * 0.25 / (float(steps) * 10.0 * float(grid.y));
}

// The light on the drawn surface at point (i, j): 0 facing away from the north-west light,
// 255 facing it.
uint Hillshade(int i, int j, float centre) {
    float slopeX = Slope(i, j, 1, 0, centre);
    float slopeY = Slope(i, j, 0, 1, centre);
    float lit = (0.5 * slopeX + 0.5 * slopeY + 0.70710678) /
                sqrt(slopeX * slopeX + slopeY * slopeY + 1.0);
    return uint(floor(clamp(lit, 0.0, 1.0) * 255.0 + 0.5));
}

void main() {
    int side = grid.x;
    int point = gl_VertexID;
    int i;
    int j;
    float drop = 0.0;
    // Whole quotients through floats: a driver that shades vertices on the CPU divides
    // integers one lane at a time, and these are small enough to be exact.
    float perSide = 1.0 / float(side);
    if (point < side * side) {
        i = int((float(point) + 0.5) * perSide);
        j = point - i * side;
    } else {
        int k = point - side * side;
        int edge = int((float(k) + 0.5) * perSide);
        int t = k - edge * side;
        i = edge == 0 ? 0 : (edge == 1 ? side - 1 : t);
        j = edge == 2 ? 0 : (edge == 3 ? side - 1 : t);
        drop = skirtDepth[edge];
    }
    uint value = SampleAt(i, j);

    int x = i * grid.y;
    int y = j * grid.y;
    vec3 view = rotation * (origin + vec3(10.0 * float(x), 10.0 * float(y),
                                          0.25 * float(value) - drop));
    gl_Position = vec4(view.x * projection.x, view.y * projection.y, projection.z, view.z);

    // The viewer's shade: 255 below the low end, else floor((s - low) * 256 / range), at most
    // 255; then a byte's share of one, as Direct3D reads a vertex colour. Lit by the slopes as
    // a map's hillshade lights them, when asked.
    uint grey = value < shading.x ? 255u : min(255u, ((value - shading.x) << 8) / shading.y);
#if LIT
    uint light = Hillshade(i, j, float(value));
    grey = relief == 1 ? light : grey * light / 255u;
#endif
    shade = float(grey) / 255.0;
    // One texture every 7 samples, with the viewer's step of 1/7 as a float.
    texCoord = vec2(float(grid.z + x), float(grid.w + y)) * uintBitsToFloat(0x3E124925u);
}
)";

constexpr const char* FragmentSource = R"(#version 450 core
in float shade;
in vec2 texCoord;
layout(binding = 0) uniform sampler2D ground;
layout(location = 6) uniform bool textured;
layout(location = 0) out vec4 colour;

void main() {
    vec3 texel = texture(ground, texCoord).rgb;
    colour = vec4(textured ? texel * shade : vec3(shade), 1.0);
}
)";

}  // namespace

gl::Program BuildTerrainProgram(bool lit) {
    // The slopes' code only where it is used: a driver shading vertices on the CPU runs a
    // uniform branch's body all the same (a tenth of a frame shaded by height).
    std::string vertex = VertexSource;
    vertex.insert(vertex.find('\n') + 1, lit ? "#define LIT 1\n" : "#define LIT 0\n");
    return gl::BuildProgram(vertex.c_str(), FragmentSource);
}

}  // namespace world::render
