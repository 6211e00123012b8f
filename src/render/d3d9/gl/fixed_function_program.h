#pragma once
// The GLSL program that stands in for Direct3D's fixed-function pipeline, reduced to what the
// viewer uses: position times World * View * Projection, vertex colour with lighting on or off
// (no lights: lit colour is black), and texture stage 0 with the operations DISABLE,
// SELECTARG1, SELECTARG2 and MODULATE over DIFFUSE, CURRENT and TEXTURE.

#include <epoxy/gl.h>

#include "gl/object.h"

namespace velmora::d3d9::gl {

// Uniform locations fixed in the shader source.
inline constexpr GLint WorldViewProjectionLocation = 0;
inline constexpr GLint LightingLocation = 1;
inline constexpr GLint ColorStageLocation = 2;  // ivec3: operation, argument 1, argument 2
inline constexpr GLint AlphaStageLocation = 3;
inline constexpr GLuint StageZeroTextureUnit = 0;

// Attribute locations of the FVF 0x142 layout.
inline constexpr GLuint PositionAttribute = 0;
inline constexpr GLuint DiffuseAttribute = 1;
inline constexpr GLuint TexCoordAttribute = 2;

// Builds the program; needs a current 4.5 core context. Throws std::runtime_error with the
// driver's log when the driver refuses it.
::gl::Program MakeFixedFunctionProgram();

}  // namespace velmora::d3d9::gl
