// Reads the PNGs the tests compare: 8-bit grey, grey + alpha, RGB or RGBA, not interlaced
// (what velmora map and Chromium's screenshots write), as RGBA pixels.
"use strict";

const zlib = require("node:zlib");

const Channels = {0: 1, 2: 3, 4: 2, 6: 4};

function paeth(a, b, c) {
    const p = a + b - c;
    const pa = Math.abs(p - a);
    const pb = Math.abs(p - b);
    const pc = Math.abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// {width, height, rgba: Buffer, at(x, y) -> [r, g, b, a]}
function readPng(bytes) {
    let width = 0;
    let height = 0;
    let type = 0;
    const data = [];
    for (let at = 8; at < bytes.length;) {
        const length = bytes.readUInt32BE(at);
        const kind = bytes.toString("latin1", at + 4, at + 8);
        const body = bytes.subarray(at + 8, at + 8 + length);
        if (kind === "IHDR") {
            width = body.readUInt32BE(0);
            height = body.readUInt32BE(4);
            type = body[9];
            if (body[8] !== 8 || body[12] !== 0 || !(type in Channels)) {
                throw new Error("unexpected PNG: depth " + body[8] + ", type " + type);
            }
        } else if (kind === "IDAT") {
            data.push(body);
        }
        at += 12 + length;
    }
    const channels = Channels[type];
    const stride = width * channels;
    const raw = zlib.inflateSync(Buffer.concat(data));
    const rows = Buffer.alloc(stride * height);
    for (let y = 0; y < height; y += 1) {
        const filter = raw[y * (stride + 1)];
        const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
        for (let i = 0; i < stride; i += 1) {
            const left = i >= channels ? rows[y * stride + i - channels] : 0;
            const up = y > 0 ? rows[(y - 1) * stride + i] : 0;
            const upLeft = y > 0 && i >= channels ? rows[(y - 1) * stride + i - channels] : 0;
            const predicted = [0, left, up, (left + up) >> 1, paeth(left, up, upLeft)][filter];
            rows[y * stride + i] = (line[i] + predicted) & 0xFF;
        }
    }
    const rgba = Buffer.alloc(width * height * 4);
    for (let p = 0; p < width * height; p += 1) {
        const s = p * channels;
        const grey = type === 0 || type === 4;
        rgba[4 * p] = rows[s];
        rgba[4 * p + 1] = grey ? rows[s] : rows[s + 1];
        rgba[4 * p + 2] = grey ? rows[s] : rows[s + 2];
        rgba[4 * p + 3] = type === 4 ? rows[s + 1] : type === 6 ? rows[s + 3] : 255;
    }
    return {
        width,
        height,
        rgba,
        at(x, y) {
            const p = 4 * (y * width + x);
            return [rgba[p], rgba[p + 1], rgba[p + 2], rgba[p + 3]];
        },
    };
}

module.exports = {readPng};
