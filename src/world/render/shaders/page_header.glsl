#version 300 es
precision highp float;
precision highp int;
precision highp usampler2D;
