// Draws a frame's patches with WebGL 2 as the desktop's WorldRenderer draws them
// (src/world/render/world_renderer.cpp): the viewer's grey over the world's range, the ground
// texture tiled every 7 samples, the viewer's camera and field of view, no far plane, on the
// viewer's blue. WebGL has no clip control and no fractional viewport, so the projection itself
// puts Direct3D's pixel centres where GL samples, and depth runs the usual way (0 near) into a
// 32-bit float buffer of a framebuffer of our own, blitted to the canvas.
"use strict";

var Velmora = window.Velmora || {};
window.Velmora = Velmora;
Velmora.view3d = Velmora.view3d || {};

(function (v) {
    // Patch textures kept on the GPU between frames, in bytes.
    v.PatchBudget = 128 << 20;
    var ReliefOf = {height: 0, hillshade: 1, both: 2};

    function compile(gl, type, source) {
        var shader = gl.createShader(type);
        gl.shaderSource(shader, source);
        gl.compileShader(shader);
        if (!gl.getShaderParameter(shader, gl.COMPILE_STATUS)) {
            throw new Error("the terrain program does not build: " + gl.getShaderInfoLog(shader));
        }
        return shader;
    }

    v.Renderer = function (canvas) {
        var gl = canvas.getContext("webgl2", {alpha: false, antialias: false, depth: false,
            stencil: false, premultipliedAlpha: false, preserveDrawingBuffer: false});
        if (!gl) {
            throw new Error("this browser has no WebGL 2");
        }
        this.gl = gl;
        this.canvas = canvas;
        // A program for each way of drawing, made when first used.
        this.programs = [null, null, null, null];
        this.vertexArray = gl.createVertexArray();
        // Bound where a patch has no absent points or there is no ground texture, so that every
        // sampler the program names reads a complete texture.
        this.allPresent = this.texture(gl.R8UI, 1, 1, gl.RED_INTEGER, gl.UNSIGNED_BYTE, new Uint8Array([1]));
        this.noGround = gl.createTexture();
        gl.activeTexture(gl.TEXTURE0 + MakingUnit);
        gl.bindTexture(gl.TEXTURE_2D, this.noGround);
        gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA8, 1, 1, 0, gl.RGBA, gl.UNSIGNED_BYTE,
            new Uint8Array([255, 255, 255, 255]));
        this.groundTexture = null;
        this.shared = new Map();   // index buffers by side
        this.patches = new Map();  // "key|version" -> {heights, presence, indices, bytes, used}
        this.patchBytes = 0;
        this.frameNumber = 0;
        this.target = null;
        this.stats = {patches: 0, triangles: 0, uploads: 0};
        var bits = gl.getParameter(gl.SUBPIXEL_BITS) || 4;
        this.tieBreak = Math.pow(2, -Math.min(Math.max(bits, 4), 8));
        // Built now, so that a browser that cannot build it says so at once.
        this.programFor(false, false);
    };

    var proto = v.Renderer.prototype;

    var UniformNames = ["heights", "presence", "rotation", "projection", "origin", "grid",
        "skirtDepth", "shading", "relief", "hasAbsentPoints", "ground"];

    // The terrain program with or without the relief's code (lit) and the texture's: {program,
    // at}. A software driver runs the code of branches not taken, so each way of drawing has a
    // program of its own, holding only what it draws with.
    proto.programFor = function (lit, textured) {
        var which = (lit ? 2 : 0) + (textured ? 1 : 0);
        var made = this.programs[which];
        if (made) {
            return made;
        }
        var gl = this.gl;
        var defines = "$1#define RELIEF " + (lit ? 1 : 0) + "\n#define TEXTURED " +
            (textured ? 1 : 0) + "\n";
        var first = /^(#version[^\n]*\n)/;
        var program = gl.createProgram();
        gl.attachShader(program, compile(gl, gl.VERTEX_SHADER,
            Velmora.shaders["terrain.vert"].replace(first, defines)));
        gl.attachShader(program, compile(gl, gl.FRAGMENT_SHADER,
            Velmora.shaders["terrain.frag"].replace(first, defines)));
        gl.linkProgram(program);
        if (!gl.getProgramParameter(program, gl.LINK_STATUS)) {
            throw new Error("the terrain program does not link: " + gl.getProgramInfoLog(program));
        }
        made = {program: program, at: {}};
        for (var n = 0; n < UniformNames.length; n += 1) {
            made.at[UniformNames[n]] = gl.getUniformLocation(program, UniformNames[n]);
        }
        gl.useProgram(program);
        gl.uniform1i(made.at.ground, 0);
        gl.uniform1i(made.at.heights, 1);
        gl.uniform1i(made.at.presence, 2);
        this.programs[which] = made;
        return made;
    };

    // Textures are made on a unit of their own, so that making one in the middle of a frame
    // leaves the units the program reads alone.
    var MakingUnit = 3;

    proto.texture = function (format, width, height, dataFormat, type, data) {
        var gl = this.gl;
        var texture = gl.createTexture();
        gl.activeTexture(gl.TEXTURE0 + MakingUnit);
        gl.bindTexture(gl.TEXTURE_2D, texture);
        gl.pixelStorei(gl.UNPACK_ALIGNMENT, 1);
        gl.texStorage2D(gl.TEXTURE_2D, 1, format, width, height);
        gl.texSubImage2D(gl.TEXTURE_2D, 0, 0, 0, width, height, dataFormat, type, data);
        gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.NEAREST);
        gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.NEAREST);
        return texture;
    };

    // The ground texture (width x height RGBA8, top row first, powers of two): mipmapped,
    // linear, repeating, as the desktop's. Null: grey terrain.
    proto.setGround = function (image) {
        var gl = this.gl;
        if (this.groundTexture) {
            gl.deleteTexture(this.groundTexture);
            this.groundTexture = null;
        }
        if (!image) {
            return;
        }
        var largest = gl.getParameter(gl.MAX_TEXTURE_SIZE);
        if (image.width > largest || image.height > largest) {
            throw new Error("a ground texture of " + image.width + " x " + image.height +
                " pixels is larger than this browser's textures (" + largest + " a side)");
        }
        var texture = gl.createTexture();
        gl.activeTexture(gl.TEXTURE0 + MakingUnit);
        gl.bindTexture(gl.TEXTURE_2D, texture);
        gl.pixelStorei(gl.UNPACK_ALIGNMENT, 1);
        // Row 0 is the picture's top, at v = 0, as Direct3D places it.
        gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA8, image.width, image.height, 0, gl.RGBA,
            gl.UNSIGNED_BYTE, image.rgba);
        gl.generateMipmap(gl.TEXTURE_2D);
        gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.LINEAR_MIPMAP_LINEAR);
        gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.LINEAR);
        gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_S, gl.REPEAT);
        gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_T, gl.REPEAT);
        this.groundTexture = texture;
    };

    proto.indexBuffer = function (made) {
        var gl = this.gl;
        var buffer = gl.createBuffer();
        gl.bindVertexArray(this.vertexArray);
        gl.bindBuffer(gl.ELEMENT_ARRAY_BUFFER, buffer);
        gl.bufferData(gl.ELEMENT_ARRAY_BUFFER, made.indices.length > 0 ? made.indices : new Uint16Array(2),
            gl.STATIC_DRAW);
        return {buffer: buffer, groundCount: made.groundCount, skirtFirst: made.skirtFirst,
            skirtCount: made.skirtCount, bytes: made.indices.byteLength};
    };

    proto.sharedIndices = function (side) {
        var found = this.shared.get(side);
        if (!found) {
            found = this.indexBuffer(v.patchIndices(side, null));
            this.shared.set(side, found);
        }
        return found;
    };

    proto.upload = function (patch) {
        var gl = this.gl;
        var side = patch.side;
        var made = {heights: this.texture(gl.R16UI, side, side, gl.RED_INTEGER, gl.UNSIGNED_SHORT,
            patch.heights.subarray(0, side * side)), presence: null, indices: null, bytes: 2 * side * side};
        if (patch.present && patch.present.indexOf(0) >= 0) {
            made.presence = this.texture(gl.R8UI, side, side, gl.RED_INTEGER, gl.UNSIGNED_BYTE,
                patch.present.subarray(0, side * side));
            made.indices = this.indexBuffer(v.patchIndices(side, patch.present));
            made.bytes += side * side + made.indices.bytes;
        }
        return made;
    };

    proto.release = function (made) {
        var gl = this.gl;
        gl.deleteTexture(made.heights);
        if (made.presence) {
            gl.deleteTexture(made.presence);
            gl.deleteBuffer(made.indices.buffer);
        }
    };

    // Drops every patch kept (another world's are drawn next).
    proto.forgetPatches = function () {
        var self = this;
        this.patches.forEach(function (made) {
            self.release(made);
        });
        this.patches.clear();
        this.patchBytes = 0;
    };

    // Drops the least recently drawn patches over the budget, never what this frame drew.
    proto.trim = function () {
        if (this.patchBytes <= v.PatchBudget) {
            return;
        }
        var entries = [];
        this.patches.forEach(function (made, key) { entries.push({key: key, made: made}); });
        entries.sort(function (a, b) { return a.made.used - b.made.used; });
        for (var k = 0; k < entries.length && this.patchBytes > v.PatchBudget; k += 1) {
            if (entries[k].made.used >= this.frameNumber) {
                break;
            }
            this.release(entries[k].made);
            this.patchBytes -= entries[k].made.bytes;
            this.patches.delete(entries[k].key);
        }
    };

    // A framebuffer of the canvas's size with an RGBA8 picture and a 32-bit float depth.
    proto.frameTarget = function (width, height) {
        var gl = this.gl;
        var target = this.target;
        if (target && target.width === width && target.height === height) {
            return target;
        }
        if (target) {
            gl.deleteFramebuffer(target.framebuffer);
            gl.deleteRenderbuffer(target.colour);
            gl.deleteRenderbuffer(target.depth);
        }
        target = {width: width, height: height, framebuffer: gl.createFramebuffer(),
            colour: gl.createRenderbuffer(), depth: gl.createRenderbuffer()};
        gl.bindRenderbuffer(gl.RENDERBUFFER, target.colour);
        gl.renderbufferStorage(gl.RENDERBUFFER, gl.RGBA8, width, height);
        gl.bindRenderbuffer(gl.RENDERBUFFER, target.depth);
        gl.renderbufferStorage(gl.RENDERBUFFER, gl.DEPTH_COMPONENT32F, width, height);
        gl.bindFramebuffer(gl.FRAMEBUFFER, target.framebuffer);
        gl.framebufferRenderbuffer(gl.FRAMEBUFFER, gl.COLOR_ATTACHMENT0, gl.RENDERBUFFER, target.colour);
        gl.framebufferRenderbuffer(gl.FRAMEBUFFER, gl.DEPTH_ATTACHMENT, gl.RENDERBUFFER, target.depth);
        this.target = target;
        return target;
    };

    // Clears to the viewer's blue and draws `patches` (with their skirt depths) seen from
    // `camera` into the canvas's width x height pixels, row 0 the picture's top.
    // range: {low, width}; shading: "height", "hillshade" or "both".
    proto.draw = function (patches, skirtDepths, camera, range, shading) {
        var gl = this.gl;
        var width = this.canvas.width;
        var height = this.canvas.height;
        this.frameNumber += 1;
        this.stats = {patches: 0, triangles: 0, uploads: 0};
        var target = this.frameTarget(width, height);
        gl.bindFramebuffer(gl.FRAMEBUFFER, target.framebuffer);
        gl.viewport(0, 0, width, height);
        // The viewer's clockwise front faces; it culls the others (D3DCULL_CCW).
        gl.frontFace(gl.CW);
        gl.cullFace(gl.BACK);
        gl.enable(gl.DEPTH_TEST);
        gl.depthFunc(gl.LESS);
        gl.depthMask(true);
        gl.depthRange(0, 1);
        gl.disable(gl.BLEND);
        gl.disable(gl.SCISSOR_TEST);
        gl.disable(gl.STENCIL_TEST);
        gl.colorMask(true, true, true, true);
        gl.clearColor(0, 0, 1, 1);
        gl.clearDepth(1);
        gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);

        var relief = ReliefOf[shading] || 0;
        var terrain = this.programFor(relief !== 0, this.groundTexture !== null);
        gl.useProgram(terrain.program);
        gl.bindVertexArray(this.vertexArray);
        var at = terrain.at;
        var rotation = v.viewRotation(camera);
        gl.uniformMatrix3fv(at.rotation, false, new Float32Array(rotation));
        var yScale = 1 / Math.tan(v.FieldOfView / 2);
        var aspect = height > 0 ? width / height : 1;
        // Direct3D's pixel centres lie on whole coordinates, GL's on halves: the picture moves
        // right and down by half a pixel, less one sub-pixel step, as the desktop's viewport,
        // so that edges through pixel centres fall alike on every driver.
        var shift = 0.5 - this.tieBreak;
        gl.uniform4f(at.projection, yScale / aspect, yScale, 2 * shift / width, 2 * shift / height);
        gl.uniform2ui(at.shading, range.low, range.width);
        gl.uniform1i(at.relief, relief);
        gl.activeTexture(gl.TEXTURE0);
        gl.bindTexture(gl.TEXTURE_2D, this.groundTexture || this.noGround);

        for (var p = 0; p < patches.length; p += 1) {
            var patch = patches[p];
            var key = patch.key + "|" + patch.version;
            var made = this.patches.get(key);
            if (!made) {
                made = this.upload(patch);
                this.patches.set(key, made);
                this.patchBytes += made.bytes;
                this.stats.uploads += 1;
            }
            made.used = this.frameNumber;
            var indices = made.indices || this.sharedIndices(patch.side);
            // The first point relative to the camera, in double; only the difference is rounded.
            gl.uniform3f(at.origin, v.SampleSpacing * patch.originX - camera.x,
                v.SampleSpacing * patch.originY - camera.y, -camera.z);
            gl.uniform4i(at.grid, patch.side, patch.step, texturePhase(patch.originX),
                texturePhase(patch.originY));
            gl.uniform4fv(at.skirtDepth, skirtDepths[p]);
            gl.uniform1i(at.hasAbsentPoints, made.presence ? 1 : 0);
            gl.activeTexture(gl.TEXTURE1);
            gl.bindTexture(gl.TEXTURE_2D, made.heights);
            gl.activeTexture(gl.TEXTURE2);
            gl.bindTexture(gl.TEXTURE_2D, made.presence || this.allPresent);
            gl.bindBuffer(gl.ELEMENT_ARRAY_BUFFER, indices.buffer);
            gl.enable(gl.CULL_FACE);
            gl.drawElements(gl.TRIANGLES, indices.groundCount, gl.UNSIGNED_SHORT, 0);
            var drawn = indices.groundCount;
            // Skirts hang where the patch parts from a neighbour; half of them face away from
            // the camera, so they are drawn from both sides.
            gl.disable(gl.CULL_FACE);
            for (var edge = 0; edge < 4; edge += 1) {
                if (skirtDepths[p][edge] > 0 && indices.skirtCount[edge] > 0) {
                    gl.drawElements(gl.TRIANGLES, indices.skirtCount[edge], gl.UNSIGNED_SHORT,
                        2 * indices.skirtFirst[edge]);
                    drawn += indices.skirtCount[edge];
                }
            }
            this.stats.patches += 1;
            this.stats.triangles += drawn / 3;
        }
        this.trim();
        this.present();
    };

    // The picture into the canvas.
    proto.present = function () {
        var gl = this.gl;
        var target = this.target;
        if (!target) {
            return;
        }
        gl.bindFramebuffer(gl.READ_FRAMEBUFFER, target.framebuffer);
        gl.bindFramebuffer(gl.DRAW_FRAMEBUFFER, null);
        gl.blitFramebuffer(0, 0, target.width, target.height, 0, 0, target.width, target.height,
            gl.COLOR_BUFFER_BIT, gl.NEAREST);
        gl.bindFramebuffer(gl.FRAMEBUFFER, null);
    };

    // Returns once the GPU has drawn what it was given: reading a pixel back waits for it,
    // where finish() need not.
    proto.waitForGpu = function () {
        var gl = this.gl;
        if (!this.target) {
            return;
        }
        gl.bindFramebuffer(gl.FRAMEBUFFER, this.target.framebuffer);
        gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, new Uint8Array(4));
        gl.bindFramebuffer(gl.FRAMEBUFFER, null);
    };

    // The last picture as RGBA bytes, row 0 the top.
    proto.readPicture = function () {
        var gl = this.gl;
        var target = this.target;
        if (!target) {
            return null;
        }
        var width = target.width;
        var height = target.height;
        var bytes = new Uint8Array(width * height * 4);
        gl.bindFramebuffer(gl.FRAMEBUFFER, target.framebuffer);
        gl.readPixels(0, 0, width, height, gl.RGBA, gl.UNSIGNED_BYTE, bytes);
        gl.bindFramebuffer(gl.FRAMEBUFFER, null);
        var flipped = new Uint8Array(bytes.length);
        var row = width * 4;
        for (var y = 0; y < height; y += 1) {
            flipped.set(bytes.subarray((height - 1 - y) * row, (height - y) * row), y * row);
        }
        return {width: width, height: height, rgba: flipped};
    };

    // Where a world sample lies in the ground texture's repeat of 7 samples: 0 to 6.
    function texturePhase(sample) {
        var phase = sample % 7;
        return phase < 0 ? phase + 7 : phase;
    }
    v.texturePhase = texturePhase;

    proto.clear = function () {
        var gl = this.gl;
        var target = this.frameTarget(this.canvas.width, this.canvas.height);
        gl.bindFramebuffer(gl.FRAMEBUFFER, target.framebuffer);
        gl.viewport(0, 0, target.width, target.height);
        gl.clearColor(0, 0, 1, 1);
        gl.clear(gl.COLOR_BUFFER_BIT);
        this.present();
    };
})(Velmora.view3d);
