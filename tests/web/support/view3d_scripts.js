// The 3D view's scripts run in node, without a browser: each classic script of web/js/view3d and
// web/js/controls in one context whose `window` is itself, as a page's scripts share theirs, and
// a site's data files read from disk and inflated here.
"use strict";

const fs = require("node:fs");
const path = require("node:path");
const vm = require("node:vm");
const zlib = require("node:zlib");

const {siteIndex, worldFolder} = require("./site");

const repository = path.resolve(__dirname, "..", "..", "..");
const Scripts = [
    "js/data.js", "js/view3d/camera.js", "js/view3d/flight.js", "js/view3d/terrain_data.js",
    "js/view3d/selection.js", "js/view3d/skirts.js", "js/view3d/patch_indices.js",
    "js/view3d/ground.js", "js/controls/flight_keyboard.js", "js/controls/flight_mouse.js",
    "js/controls/flight_touch.js",
];

// A fresh context holding Velmora with the 3D view's code.
function loadView() {
    const context = vm.createContext({});
    context.window = context;
    for (const script of Scripts) {
        const file = path.join(repository, "web", script);
        vm.runInContext(fs.readFileSync(file, "utf8"), context, {filename: file});
    }
    return context.Velmora;
}

// The payload of a site's data file (the one argument after the key of Velmora.receive or
// Velmora.world), as node reads it.
function payloadOf(file) {
    const text = fs.readFileSync(file, "utf8");
    const match = /^Velmora\.receive\("([^"]+)", "([^"]*)"\);\s*$/.exec(text);
    if (!match) {
        throw new Error(`${file} is not a data file`);
    }
    const bytes = zlib.inflateRawSync(Buffer.from(match[2], "base64"));
    return bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength);
}

// A site's first world as Velmora.openWorld gives it, decoded by the page's own world.js.
async function readWorld(Velmora, folder) {
    const context = vm.createContext({});
    context.window = context;
    context.Velmora = Velmora;
    Velmora.inflate = async (base64) => {
        const bytes = zlib.inflateRawSync(Buffer.from(base64, "base64"));
        return bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength);
    };
    const script = path.join(folder, "js", "world.js");
    vm.runInContext(fs.readFileSync(script, "utf8"), context, {filename: script});
    const entry = siteIndex(folder).worlds[0];
    const world = Velmora.expectWorld(entry.folder, entry.version);
    const file = path.join(folder, "data", entry.folder, `world.v${entry.version}.js`);
    vm.runInContext(fs.readFileSync(file, "utf8"), context, {filename: file});
    return world;
}

// A loader as Velmora.load, reading the files of the site's first world by their keys below
// its folder; it records what was asked, in order.
function siteLoader(folder) {
    const asked = [];
    const files = worldFolder(folder);
    const loader = (key, version, priority) => {
        asked.push({key, version, priority});
        return Promise.resolve(payloadOf(path.join(files, `${key}.v${version}.js`)));
    };
    loader.asked = asked;
    return loader;
}

// Selects frames from `camera` until the view wants nothing more, as the page's frames do while
// data arrives; gives the last selection.
async function selectSettled(Velmora, data, camera, width, height, maxError) {
    for (let round = 0; round < 50; round += 1) {
        const frame = Velmora.view3d.select(data, camera, width, height, maxError);
        if (frame.wanted.size === 0) {
            return frame;
        }
        data.request(frame.wanted);
        while (data.outstanding() > 0) {
            await new Promise((resolve) => setImmediate(resolve));
        }
    }
    throw new Error("the view kept wanting data");
}

module.exports = {loadView, readWorld, siteLoader, selectSettled, payloadOf};
