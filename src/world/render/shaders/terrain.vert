// The terrain program's vertex stage, for the desktop's OpenGL 4.5 core and the page's WebGL 2
// (GLSL ES 3.00, where GL_ES is defined). The build puts each side's #version line first; each
// side defines RELIEF and TEXTURED (0 or 1) after it.
#ifdef GL_ES
// No storage buffers and no uniform locations fixed here: heights come from an R16UI texture
// (texel (j, i) is grid point (i, j)), and the page asks for each uniform by name.
#define AT(n)
uniform usampler2D heights;
uniform usampler2D presence;
#else
#define AT(n) layout(location = n)
layout(std430, binding = 0) readonly buffer PatchHeights { uint heights[]; };
layout(std430, binding = 1) readonly buffer PatchPresence { uint presence[]; };
#endif
// Uploaded row-major and untransposed: rotation * v is the row vector v times the matrix.
AT(0) uniform mat3 rotation;
#ifdef GL_ES
// xScale, yScale, and the half pixel Direct3D's pixel centres lie off GL's, in clip x and y
// per unit of w.
uniform vec4 projection;
#else
// xScale, yScale, the near plane.
layout(location = 1) uniform vec3 projection;
#endif
AT(2) uniform vec3 origin;
AT(3) uniform ivec4 grid;
AT(4) uniform vec4 skirtDepth;
AT(5) uniform uvec2 shading;
AT(7) uniform int relief;
AT(8) uniform bool hasAbsentPoints;
out float shade;
out vec2 texCoord;

#ifdef GL_ES
uint SampleAt(int i, int j) {
    return texelFetch(heights, ivec2(j, i), 0).r;
}

bool PresenceBit(int i, int j) {
    return texelFetch(presence, ivec2(j, i), 0).r != 0u;
}
#else
uint SampleAt(int i, int j) {
    uint index = uint(i * grid.x + j);
    uint word = heights[index >> 1];
    return (index & 1u) == 0u ? (word & 0xFFFFu) : (word >> 16);
}

bool PresenceBit(int i, int j) {
    uint index = uint(i * grid.x + j);
    return ((presence[index >> 5] >> (index & 31u)) & 1u) != 0u;
}
#endif

bool Present(int i, int j) {
    if (i < 0 || j < 0 || i >= grid.x || j >= grid.x) {
        return false;
    }
    return !hasAbsentPoints || PresenceBit(i, j);
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
#ifdef GL_ES
    // Direct3D's perspective with no far plane, in GL's clip volume (no clip control here):
    // depth 0 at the near plane (view z = 1), towards 1 at infinity. Row 0 is the picture's top
    // in both.
    gl_Position = vec4(view.x * projection.x + projection.z * view.z,
                       view.y * projection.y - projection.w * view.z,
                       view.z - 2.0, view.z);
#else
    gl_Position = vec4(view.x * projection.x, view.y * projection.y, projection.z, view.z);
#endif

    // The viewer's shade: 255 below the low end, else floor((s - low) * 256 / range), at most
    // 255; then a byte's share of one, as Direct3D reads a vertex colour. Lit by the slopes as
    // a map's hillshade lights them, in the programs for the lit shadings alone: a driver that
    // shades vertices on the CPU runs a uniform branch's body all the same.
    uint grey = value < shading.x ? 255u : min(255u, ((value - shading.x) << 8) / shading.y);
#if RELIEF
    uint light = Hillshade(i, j, float(value));
    grey = relief == 1 ? light : grey * light / 255u;
#endif
    shade = float(grey) / 255.0;
#if TEXTURED
    // One texture every 7 samples, with the viewer's step of 1/7 as a float.
    texCoord = vec2(float(grid.z + x), float(grid.w + y)) * uintBitsToFloat(0x3E124925u);
#else
    texCoord = vec2(0.0);
#endif
}
