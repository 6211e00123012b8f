// The terrain program's vertex stage: src/world/render/terrain_program.cpp in GLSL ES 3.00.
// Heights come from an R16UI texture (texel (j, i) is grid point (i, j)) rather than a storage
// buffer, and the projection is GL's own: no clip control here. The renderer defines RELIEF and
// TEXTURED (0 or 1) after the first line, and builds a program for each way it draws.
"use strict";

var Velmora = window.Velmora || {};
window.Velmora = Velmora;
Velmora.shaders = Velmora.shaders || {};

Velmora.shaders["terrain.vert"] = `#version 300 es
precision highp float;
precision highp int;
precision highp usampler2D;

uniform usampler2D heights;
uniform usampler2D presence;
// Uploaded row-major and untransposed: rotation * v is the row vector v times the matrix.
uniform mat3 rotation;
// xScale, yScale, and the half pixel Direct3D's pixel centres lie off GL's, in clip x and y
// per unit of w.
uniform vec4 projection;
uniform vec3 origin;
uniform ivec4 grid;
uniform vec4 skirtDepth;
uniform uvec2 shading;
uniform int relief;
uniform bool hasAbsentPoints;
out float shade;
out vec2 texCoord;

uint SampleAt(int i, int j) {
    return texelFetch(heights, ivec2(j, i), 0).r;
}

bool Present(int i, int j) {
    if (i < 0 || j < 0 || i >= grid.x || j >= grid.x) {
        return false;
    }
    return !hasAbsentPoints || texelFetch(presence, ivec2(j, i), 0).r != 0u;
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
    // Whole quotients through floats, small enough to be exact, as the desktop finds them.
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
    // Direct3D's perspective with no far plane, in GL's clip volume: depth 0 at the near plane
    // (view z = 1), towards 1 at infinity. Row 0 is the picture's top in both.
    gl_Position = vec4(view.x * projection.x + projection.z * view.z,
                       view.y * projection.y - projection.w * view.z,
                       view.z - 2.0, view.z);

    // The viewer's shade: 255 below the low end, else floor((s - low) * 256 / range), at most
    // 255; then a byte's share of one. Lit by the slopes as a map's hillshade lights them.
    uint grey = value < shading.x ? 255u : min(255u, ((value - shading.x) << 8) / shading.y);
#if RELIEF
    // Only in the programs for the lit shadings: a software driver runs the code of a branch
    // not taken all the same (a third of a frame's time on SwiftShader).
    if (relief != 0) {
        uint light = Hillshade(i, j, float(value));
        grey = relief == 1 ? light : grey * light / 255u;
    }
#endif
    shade = float(grey) / 255.0;
#if TEXTURED
    // One texture every 7 samples, with the viewer's step of 1/7 as a float.
    texCoord = vec2(float(grid.z + x), float(grid.w + y)) * uintBitsToFloat(0x3E124925u);
#else
    texCoord = vec2(0.0);
#endif
}
`;
