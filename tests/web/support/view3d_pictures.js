// The 3D view's pictures beside `velmora render --all`'s: the view's own pixels (read from its
// framebuffer, so nothing floating over the page counts), the PNG velmora writes, and how far
// apart the two are.
"use strict";

const fs = require("node:fs");
const zlib = require("node:zlib");

// The PNGs velmora writes: 8 bits a channel, grey, RGB or either with alpha, not interlaced.
function decodePng(bytes) {
    let at = 8;
    let width = 0;
    let height = 0;
    let channels = 0;
    const data = [];
    while (at < bytes.length) {
        const length = bytes.readUInt32BE(at);
        const kind = bytes.toString("latin1", at + 4, at + 8);
        const body = bytes.subarray(at + 8, at + 8 + length);
        if (kind === "IHDR") {
            width = body.readUInt32BE(0);
            height = body.readUInt32BE(4);
            if (body[8] !== 8 || body[12] !== 0) {
                throw new Error("only 8-bit PNGs without interlacing are read here");
            }
            channels = {0: 1, 2: 3, 4: 2, 6: 4}[body[9]];
        } else if (kind === "IDAT") {
            data.push(body);
        }
        at += 12 + length;
    }
    const raw = zlib.inflateSync(Buffer.concat(data));
    const stride = width * channels;
    const rows = Buffer.alloc(stride * height);
    for (let y = 0; y < height; y += 1) {
        const filter = raw[y * (stride + 1)];
        for (let x = 0; x < stride; x += 1) {
            const value = raw[y * (stride + 1) + 1 + x];
            const left = x >= channels ? rows[y * stride + x - channels] : 0;
            const up = y > 0 ? rows[(y - 1) * stride + x] : 0;
            const upLeft = x >= channels && y > 0 ? rows[(y - 1) * stride + x - channels] : 0;
            let predicted = 0;
            if (filter === 1) {
                predicted = left;
            } else if (filter === 2) {
                predicted = up;
            } else if (filter === 3) {
                predicted = (left + up) >> 1;
            } else if (filter === 4) {
                const p = left + up - upLeft;
                const pa = Math.abs(p - left);
                const pb = Math.abs(p - up);
                const pc = Math.abs(p - upLeft);
                predicted = pa <= pb && pa <= pc ? left : pb <= pc ? up : upLeft;
            }
            rows[y * stride + x] = (value + predicted) & 255;
        }
    }
    const rgb = new Uint8Array(width * height * 3);
    for (let k = 0; k < width * height; k += 1) {
        for (let c = 0; c < 3; c += 1) {
            rgb[3 * k + c] = rows[k * channels + (channels >= 3 ? c : 0)];
        }
    }
    return {width, height, rgb};
}

// The 3D view's last picture: {width, height, rgb}, row 0 the top.
async function viewPicture(page) {
    const picture = await page.evaluate(() => {
        const taken = Velmora.app.view3d.picture();
        let binary = "";
        for (let k = 0; k < taken.rgba.length; k += 0x8000) {
            binary += String.fromCharCode.apply(null, taken.rgba.subarray(k, k + 0x8000));
        }
        return {width: taken.width, height: taken.height, rgba: btoa(binary)};
    });
    const rgba = Buffer.from(picture.rgba, "base64");
    const rgb = new Uint8Array(picture.width * picture.height * 3);
    for (let k = 0; k < picture.width * picture.height; k += 1) {
        rgb[3 * k] = rgba[4 * k];
        rgb[3 * k + 1] = rgba[4 * k + 1];
        rgb[3 * k + 2] = rgba[4 * k + 2];
    }
    return {width: picture.width, height: picture.height, rgb};
}

// How two pictures of one size differ, pixel by pixel, by the largest difference of the three
// channels: the mean of it, and the shares of pixels off by more than 8 and by more than 32.
function difference(a, b) {
    if (a.width !== b.width || a.height !== b.height) {
        throw new Error(`pictures of ${a.width} x ${a.height} and ${b.width} x ${b.height}`);
    }
    const count = a.width * a.height;
    let sum = 0;
    let over8 = 0;
    let over32 = 0;
    for (let k = 0; k < count; k += 1) {
        let most = 0;
        for (let c = 0; c < 3; c += 1) {
            most = Math.max(most, Math.abs(a.rgb[3 * k + c] - b.rgb[3 * k + c]));
        }
        sum += most;
        over8 += most > 8 ? 1 : 0;
        over32 += most > 32 ? 1 : 0;
    }
    return {mean: sum / count, share8: over8 / count, share32: over32 / count};
}

// How much of a picture is the viewer's blue clear colour.
function skyShare(picture) {
    let sky = 0;
    const count = picture.width * picture.height;
    for (let k = 0; k < count; k += 1) {
        const [r, g, b] = picture.rgb.subarray(3 * k, 3 * k + 3);
        sky += r === 0 && g === 0 && b === 255 ? 1 : 0;
    }
    return sky / count;
}

function readPng(path) {
    return decodePng(fs.readFileSync(path));
}

module.exports = {decodePng, readPng, viewPicture, difference, skyShare};
