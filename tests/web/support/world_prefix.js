// Writes a Wine prefix holding the game's install-root key and worlds of heightmaps, as the game
// leaves them, for velmora to read: system.reg, dosdevices/c: -> ../drive_c, and
// drive_c/Q/world_cache/NAMEquarlend/terrain/A_B/heightmap_A_B.zdt (24 bytes of header, then
// 127 x 127 little-endian u16 samples, row r (world x) major).
"use strict";

const fs = require("node:fs");
const path = require("node:path");

const Side = 127;
const Stride = 126;

const SystemReg =
    "WINE REGISTRY Version 2\n\n#arch=win64\n\n" +
    "[Software\\\\Wow6432Node\\\\MolvaneStudios\\\\Quarlend] 1\n@=\"C:\\\\Q\"\n";

// The bytes of one heightmap: sample(x, y) gives world sample (x, y)'s value, so that
// neighbours share their edges.
function heightmap(a, b, sample) {
    const bytes = Buffer.alloc(24 + 2 * Side * Side);
    for (let r = 0; r < Side; r += 1) {
        for (let c = 0; c < Side; c += 1) {
            bytes.writeUInt16LE(sample(Stride * a + r, Stride * b + c), 24 + 2 * (r * Side + c));
        }
    }
    return bytes;
}

// Writes the prefix at `root`. worlds: {NAME: {sectors: ["A_B", ...], sample(x, y)}}.
function writePrefix(root, worlds) {
    fs.mkdirSync(path.join(root, "drive_c"), {recursive: true});
    fs.mkdirSync(path.join(root, "dosdevices"), {recursive: true});
    fs.symlinkSync("../drive_c", path.join(root, "dosdevices", "c:"));
    fs.writeFileSync(path.join(root, "system.reg"), SystemReg);
    for (const [name, world] of Object.entries(worlds)) {
        // A world of no sector yet is its terrain folder alone.
        fs.mkdirSync(path.join(root, "drive_c", "Q", "world_cache", name + "quarlend", "terrain"),
            {recursive: true});
        for (const sector of world.sectors) {
            const [a, b] = sector.split("_").map(Number);
            const folder = path.join(root, "drive_c", "Q", "world_cache", name + "quarlend",
                "terrain", sector);
            fs.mkdirSync(folder, {recursive: true});
            fs.writeFileSync(path.join(folder, "heightmap_" + sector + ".zdt"),
                heightmap(a, b, world.sample));
        }
    }
}

module.exports = {writePrefix, heightmap, Stride};
