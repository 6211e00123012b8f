// The terrain program's fragment stage: the grey, modulating the ground texture when there is
// one (MODULATE(TEXTURE, DIFFUSE), as the viewer's stage 0). The page builds a program with the
// texture's code and one without (TEXTURED, defined after the #version line); the desktop
// chooses by a uniform.
in float shade;
in vec2 texCoord;
#ifdef GL_ES
uniform sampler2D ground;
out vec4 colour;
#else
layout(binding = 0) uniform sampler2D ground;
layout(location = 6) uniform bool textured;
layout(location = 0) out vec4 colour;
#endif

void main() {
#ifdef GL_ES
#if TEXTURED
    colour = vec4(texture(ground, texCoord).rgb * shade, 1.0);
#else
    colour = vec4(vec3(shade), 1.0);
#endif
#else
    vec3 texel = texture(ground, texCoord).rgb;
    colour = vec4(textured ? texel * shade : vec3(shade), 1.0);
#endif
}
