// The game's side and the page's side of a live update: a sector written into a world's terrain
// folder as the game writes it, flat at one sample so that any of its pixels tells, and the
// moment an open page's map shows it.
"use strict";

const fs = require("node:fs");
const path = require("node:path");

const {heightmap} = require("./world_prefix");

// The folder the game writes world NAME's sectors into, below a prefix of writePrefix.
function terrainOf(prefix, name) {
    return path.join(prefix, "drive_c", "Q", "world_cache", name + "quarlend", "terrain");
}

// Writes sector `name` whole, every sample `sample`: its folder, then its heightmap.
function writeSector(terrain, name, sample) {
    const [a, b] = name.split("_").map(Number);
    const folder = path.join(terrain, name);
    fs.mkdirSync(folder, {recursive: true});
    fs.writeFileSync(path.join(folder, `heightmap_${name}.zdt`), heightmap(a, b, () => sample));
}

// What the status line reads with the pointer on `sample` of `sector`.
function statusOf(sector, sample) {
    return `sector ${sector}, sample ${sample}, height ${(sample / 4).toFixed(1)}`;
}

// Resolves with Date.now() in the page once the ground at (x, y) of the window shows `sample`
// in the map's canvas, in the map's grey for it, and the status line (the pointer there)
// reads `status`.
function mapShows(page, x, y, sample, status, timeout) {
    return page.waitForFunction((x, y, sample, status) => {
        const world = Velmora.app && Velmora.app.world;
        const text = document.querySelector("[role=status]").textContent;
        if (!world || text !== status) {
            return false;
        }
        const range = world.range;
        const want = sample < range.low ? 255 :
            Math.min(255, Math.floor((sample - range.low) * 256 / range.width));
        for (const canvas of document.querySelectorAll(".velmora-ground canvas")) {
            const box = canvas.getBoundingClientRect();
            if (x >= box.left && x < box.right && y >= box.top && y < box.bottom) {
                const px = Math.floor((x - box.left) * canvas.width / box.width);
                const py = Math.floor((y - box.top) * canvas.height / box.height);
                const rgba = canvas.getContext("2d").getImageData(px, py, 1, 1).data;
                if (rgba[0] === want && rgba[1] === want && rgba[2] === want && rgba[3] === 255) {
                    return Date.now();
                }
            }
        }
        return false;
    }, {polling: "raf", timeout}, x, y, sample, status).then((handle) => handle.jsonValue());
}

module.exports = {terrainOf, writeSector, statusOf, mapShows};
