#pragma once
// The GLSL program that draws terrain patches. It reads no vertex attributes: each point's
// place in its patch follows from gl_VertexID (grid points, then skirt points, as
// patch_indices.h numbers them) and its height from the patch's samples in a storage buffer.
// Each point's grey is the viewer's shade of its sample, worked out in integers as the viewer
// does, lit by its slopes in the drawn grid when asked, and Gouraud-interpolated; the ground
// texture, when there is one, is modulated by it. Its stages' sources, shaders/terrain.vert
// and .frag, are the page's 3D view's too.

#include "gl/object.h"

namespace world::render {

// Uniform locations and bindings of the program.
namespace terrain_program {
inline constexpr GLint Rotation = 0;         // mat3: the view's rotation, row-major as uploaded
inline constexpr GLint Projection = 1;       // vec3: x scale, y scale, near plane
inline constexpr GLint Origin = 2;           // vec3: the patch's first point relative to the camera
inline constexpr GLint Grid = 3;             // ivec4: side, step, texture phase along x, along y
inline constexpr GLint SkirtDepth = 4;       // vec4: world units below each edge
inline constexpr GLint Shading = 5;          // uvec2: the range's low end and its width (>= 1)
inline constexpr GLint Textured = 6;         // bool
inline constexpr GLint Relief = 7;           // int: 0 height, 1 hillshade, 2 both (world::Shading)
inline constexpr GLint HasAbsentPoints = 8;  // bool: whether PresenceBinding says which are there
inline constexpr GLuint HeightsBinding = 0;  // shader storage: two samples a word, low first
inline constexpr GLuint PresenceBinding = 1;  // shader storage: one bit a point, low bits first
inline constexpr GLuint GroundUnit = 0;       // texture unit of the ground texture
}  // namespace terrain_program

// Compiles and links the program, with the relief's slopes or without (the height shade alone);
// throws std::runtime_error with GL's log when it cannot.
gl::Program BuildTerrainProgram(bool lit);

}  // namespace world::render
