// The terrain program's fragment stage: the grey, modulating the ground texture when there is
// one (MODULATE(TEXTURE, DIFFUSE), as the viewer's stage 0).
"use strict";

var Velmora = window.Velmora || {};
window.Velmora = Velmora;
Velmora.shaders = Velmora.shaders || {};

Velmora.shaders["terrain.frag"] = `#version 300 es
precision highp float;

in float shade;
in vec2 texCoord;
uniform sampler2D ground;
uniform bool textured;
out vec4 colour;

void main() {
    vec3 texel = texture(ground, texCoord).rgb;
    colour = vec4(textured ? texel * shade : vec3(shade), 1.0);
}
`;
