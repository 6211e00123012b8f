#include "render/d3d9/gl/fixed_function_program.h"

#include "gl/shader_program.h"

namespace velmora::d3d9::gl {

namespace {

constexpr const char* VertexSource = R"(#version 450 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec4 diffuse;
layout(location = 2) in vec2 texCoord;
// Direct3D's row-major matrix uploaded as is: GLSL sees its transpose, so M * v = v * M_d3d.
layout(location = 0) uniform mat4 worldViewProjection;
layout(location = 1) uniform bool lighting;
out vec4 vertexDiffuse;
out vec2 vertexTexCoord;
void main() {
    gl_Position = worldViewProjection * vec4(position, 1.0);
    // Lighting with no lights, zero ambient and zero material leaves black, alpha from the
    // vertex's diffuse colour (the diffuse material source).
    vertexDiffuse = lighting ? vec4(0.0, 0.0, 0.0, diffuse.a) : diffuse;
    vertexTexCoord = texCoord;
}
)";

constexpr const char* FragmentSource = R"(#version 450 core
in vec4 vertexDiffuse;
in vec2 vertexTexCoord;
layout(binding = 0) uniform sampler2D stageZero;
layout(location = 2) uniform ivec3 colorStage;
layout(location = 3) uniform ivec3 alphaStage;
layout(location = 0) out vec4 fragmentColor;

// D3DTA_DIFFUSE (0) and D3DTA_CURRENT (1) are both the diffuse colour at stage 0.
vec4 Argument(int selector, vec4 texel) { return selector == 2 ? texel : vertexDiffuse; }

vec4 Stage(ivec3 stage, vec4 texel) {
    switch (stage.x) {
        case 2: return Argument(stage.y, texel);                           // SELECTARG1
        case 3: return Argument(stage.z, texel);                           // SELECTARG2
        case 4: return Argument(stage.y, texel) * Argument(stage.z, texel);  // MODULATE
        default: return vertexDiffuse;                                     // DISABLE
    }
}

void main() {
    vec4 texel = texture(stageZero, vertexTexCoord);
    fragmentColor = vec4(Stage(colorStage, texel).rgb, Stage(alphaStage, texel).a);
}
)";

}  // namespace

::gl::Program MakeFixedFunctionProgram() {
    return ::gl::BuildProgram(VertexSource, FragmentSource);
}

}  // namespace velmora::d3d9::gl
