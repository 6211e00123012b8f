// The terrain program's fragment stage: the grey, modulating the ground texture when there is
// one (MODULATE(TEXTURE, DIFFUSE), as the viewer's stage 0). TEXTURED (0 or 1) is defined by the
// renderer after the first line.
"use strict";

var Velmora = window.Velmora || {};
window.Velmora = Velmora;
Velmora.shaders = Velmora.shaders || {};

Velmora.shaders["terrain.frag"] = `#version 300 es
precision highp float;

in float shade;
in vec2 texCoord;
uniform sampler2D ground;
out vec4 colour;

void main() {
#if TEXTURED
    colour = vec4(texture(ground, texCoord).rgb * shade, 1.0);
#else
    colour = vec4(vec3(shade), 1.0);
#endif
}
`;
