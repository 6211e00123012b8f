// Views the world cannot hold, without a browser: the page's address parser against hashes of
// every shape (it never throws nor lets a non-finite number through, and names what it could not
// read), and the 3D camera's box and top speed against keys held for seconds from the overview.
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const path = require("node:path");
const vm = require("node:vm");
const {describe, test} = require("node:test");

const repository = path.resolve(__dirname, "..", "..");
const Scripts = ["js/data.js", "js/shading.js", "js/address.js", "js/view3d/camera.js",
    "js/view3d/flight.js", "js/view3d/camera_box.js"];

function loadScripts() {
    const context = vm.createContext({URLSearchParams});
    context.window = context;
    for (const script of Scripts) {
        const file = path.join(repository, "web", script);
        vm.runInContext(fs.readFileSync(file, "utf8"), context, {filename: file});
    }
    return context.Velmora;
}

const Velmora = loadScripts();
const v = Velmora.view3d;
const parse = (hash) => JSON.parse(JSON.stringify(Velmora.Address.parse(hash)));

function random(seed) {
    let state = seed >>> 0;
    return () => {
        state = (Math.imul(state, 1664525) + 1013904223) >>> 0;
        return state / 4294967296;
    };
}

// Numbers as links may spell them, good and bad.
const Numbers = ["0", "-0", "1", "-17.25", "1e20", "-1e308", "1e309", "1e-400", "NaN", "Infinity",
    "-Infinity", "0x10", "1_000", "", " ", "+", ".", "1.", ".5", "1e", "--1", "9".repeat(400),
    "1,5", "٣", "１", "1e99999", "%31", "1%00", "\u00e9"];
const Pieces = ["#", "&", "=", ",", "_", "map", "camera", "sector", "shading=both", "grid=1", "%",
    "%E2%82%AC", "\u2603", "\ud83d\ude00", "\u0000", "?", "+", "banana", "30_30"];

describe("the address parser", () => {
    test("gives back world names exactly as a link written for them spells them", () => {
        const names = ["Alpha World", "alpha world", "..", "../..", "a/../b", "#1", "a&sector=1_1",
            "50%", "%41", "a+b", " lead and trail ", "\u00e9t\u00e9", "\u2603\ud83d\ude00", "world=x",
            "=", ""];
        for (const name of names) {
            const hash = Velmora.Address.format({world: name, map: {x: 1, y: 2, zoom: -1}});
            // What the page writes stays within the characters an address keeps as they are.
            assert.match(hash, /^#world=[A-Za-z0-9*._%+-]*&map=1,2,-1$/, name);
            assert.deepEqual(parse(hash), {world: name, map: {x: 1, y: 2, zoom: -1}}, name);
        }
        // The first world named counts; a space may be spelled either way.
        assert.deepEqual(parse("#world=a%20b&world=c"), {world: "a b"});
        assert.deepEqual(parse("#world=a+b&sector=1_2"), {world: "a b", sector: {a: 1, b: 2}});
        assert.deepEqual(parse("#sector=1_2&world=%C3%A9"), {world: "\u00e9", sector: {a: 1, b: 2}});
    });

    test("reads what it can and names what it cannot", () => {
        const cases = [
            ["", {}],
            ["#", {}],
            ["#map=1e20,0,0", {map: {x: 1e20, y: 0, zoom: 0}}],
            ["#map=12.5,-3,-2&shading=hillshade&grid=1",
                {map: {x: 12.5, y: -3, zoom: -2}, shading: "hillshade", grid: true}],
            ["#sector=5_7", {sector: {a: 5, b: 7}}],
            ["#sector=banana", {unreadable: "sector=banana"}],
            ["#sector=-1_2", {unreadable: "sector=-1_2"}],
            ["#sector=99999999_1", {unreadable: "sector=99999999_1"}],
            ["#sector=1_2#sector=3_4", {unreadable: "sector=1_2#sector=3_4"}],
            ["##map=1,2,3", {}],
            ["#map=NaN,0,0", {unreadable: "map=NaN,0,0"}],
            ["#map=Infinity,0,0", {unreadable: "map=Infinity,0,0"}],
            ["#map=1e309,0,0", {unreadable: "map=1e309,0,0"}],
            ["#map=0x10,0,0", {unreadable: "map=0x10,0,0"}],
            ["#map=1,2", {unreadable: "map=1,2"}],
            ["#map=,,", {unreadable: "map=,,"}],
            ["#camera=1,2,3,4", {unreadable: "camera=1,2,3,4"}],
            ["#camera=1,2,3,4,5", {camera: {x: 1, y: 2, z: 3, yaw: 4, pitch: 5}}],
            ["#map=%E2%82%AC,0,0", {unreadable: "map=?,0,0"}],
            ["#shading=plaid&grid=yes", {grid: false}],
            ["#map=" + "1".repeat(2000), {unreadable: "map=" + "1".repeat(36) + "..."}],
        ];
        for (const [hash, wanted] of cases) {
            assert.deepEqual(parse(hash), wanted, hash);
        }
    });

    test("any hash at all: no exception, finite numbers, a short plain quote, at once", () => {
        const next = random(29);
        const pick = (list) => list[Math.floor(next() * list.length)];
        const hashes = [];
        for (let k = 0; k < 3000; k += 1) {
            const key = pick(["map", "camera", "sector", pick(Pieces)]);
            const count = Math.floor(next() * 7);
            const values = Array.from({length: count}, () => (next() < 0.8 ? pick(Numbers) :
                pick(Pieces)));
            let hash = "#".repeat(Math.floor(next() * 3)) + key + "=" + values.join(
                key === "sector" ? "_" : ",");
            for (let extra = Math.floor(next() * 3); extra > 0; extra -= 1) {
                hash += pick(["&", "#", ""]) + pick(Pieces) + pick(Numbers);
            }
            hashes.push(hash);
        }
        hashes.push("#" + "#".repeat(100000), "#map=" + "9".repeat(100000) + ",0,0",
            "#" + "&".repeat(5000), "#" + "map=1,2,3&".repeat(5000));
        const started = Date.now();
        for (const hash of hashes) {
            const wanted = parse(hash);
            const numbers = [].concat(wanted.map ? Object.values(wanted.map) : [],
                wanted.camera ? Object.values(wanted.camera) : []);
            assert.ok(numbers.every(Number.isFinite), hash);
            if (wanted.sector) {
                assert.ok(Number.isSafeInteger(wanted.sector.a) && wanted.sector.a >= 0 &&
                    Number.isSafeInteger(wanted.sector.b) && wanted.sector.b >= 0, hash);
            }
            if (wanted.unreadable !== undefined) {
                assert.match(wanted.unreadable, /^[\x20-\x7e]{0,40}(\.\.\.)?$/, hash);
            }
            if (wanted.map) {
                // What it read, written and read again, is the same place.
                const again = parse(Velmora.Address.format({map: wanted.map}));
                assert.ok(Math.abs(again.map.x - wanted.map.x) <= Math.abs(wanted.map.x) * 1e-9 +
                    0.001, hash);
            }
        }
        assert.ok(Date.now() - started < 5000, `${Date.now() - started} ms`);
    });
});

// The extents of a world of one sector, a usual one, a flat one and one thousands of sectors
// wide, in world units.
const Extents = [
    [0, 0, 300, 1270, 1270, 450],
    [0, 0, 20, 7570, 7570, 751],
    [12600, 25200, 100, 25200, 30240, 100],
    [0, 0, 0, 3654000, 2142000, 16000],
];

// Whether some of the world's ground is on a screen of `aspect` seen from `camera`.
function worldOnScreen(camera, extent, aspect) {
    const rotation = v.viewRotation(camera);
    const tanY = Math.tan(v.FieldOfView / 2);
    const tanX = tanY * aspect;
    for (let i = 0; i <= 8; i += 1) {
        for (let j = 0; j <= 8; j += 1) {
            const x = extent[0] + (extent[3] - extent[0]) * i / 8;
            const y = extent[1] + (extent[4] - extent[1]) * j / 8;
            const z = (extent[2] + extent[5]) / 2;
            const [vx, vy, vz] = v.toView(rotation, x - camera.x, y - camera.y, z - camera.z);
            if (vz > v.NearPlane && Math.abs(vx / vz) <= tanX && Math.abs(vy / vz) <= tanY) {
                return true;
            }
        }
    }
    return false;
}

function inBox(camera, extent) {
    const box = v.cameraBox(extent);
    return camera.x >= box.minX && camera.x <= box.maxX && camera.y >= box.minY &&
        camera.y <= box.maxY && camera.z <= box.maxZ &&
        camera.z >= v.floorAt(extent, camera.x, camera.y) - 1e-6;
}

describe("the 3D camera's reach", () => {
    test("the overview is inside the box and sees the world; any camera is brought in", () => {
        const next = random(5);
        for (const extent of Extents) {
            const overview = v.overviewCamera(extent);
            assert.deepEqual(v.keepInBox(v.copyCamera(overview), extent), overview);
            assert.ok(worldOnScreen(overview, extent, 1.6));
            for (let k = 0; k < 200; k += 1) {
                const wild = () => (next() - 0.5) * Math.pow(10, Math.floor(next() * 300));
                const camera = v.keepInBox({x: wild(), y: wild(), z: wild(), yaw: wild(),
                    pitch: wild()}, extent);
                assert.ok(inBox(camera, extent), JSON.stringify(camera));
                assert.ok(Math.abs(camera.yaw) <= 4 * Math.PI && Math.abs(camera.pitch) <=
                    4 * Math.PI, JSON.stringify(camera));
            }
        }
    });

    test("a world without an extent to give (every sector unreadable) still keeps the camera " +
        "in a box", () => {
        for (const extent of [[null, null, null, null, null, null], [Infinity, Infinity, Infinity,
            -Infinity, -Infinity, -Infinity], [5, 5, 5, 0, 0, 0], []]) {
            const camera = v.keepInBox({x: 1e20, y: -1e20, z: 1e20, yaw: 0, pitch: 4}, extent);
            assert.ok(Object.values(camera).every(Number.isFinite), JSON.stringify(camera));
            assert.ok(Math.abs(camera.x) < 1e4 && Math.abs(camera.y) < 1e4, JSON.stringify(camera));
            assert.ok(Number.isFinite(v.topSpeed(extent)) && v.topSpeed(extent) > 0);
        }
    });

    test("keys held 5 s from the overview stay in the box with the world on screen; one second " +
        "at the top crosses at most a fifth of the world", () => {
        const Keys = {
            forward: {forward: 1, right: 0, up: 0, fast: false},
            back: {forward: -1, right: 0, up: 0, fast: false},
            left: {forward: 0, right: -1, up: 0, fast: false},
            right: {forward: 0, right: 1, up: 0, fast: true},
            up: {forward: 0, right: 0, up: 1, fast: true},
            down: {forward: 0, right: 0, up: -1, fast: true},
            "fast ahead, right and up": {forward: 1, right: 1, up: 1, fast: true},
        };
        for (const extent of Extents) {
            const span = v.worldSpan(extent);
            for (const [name, thrust] of Object.entries(Keys)) {
                const camera = v.overviewCamera(extent);
                for (let frame = 0; frame < 300; frame += 1) {
                    const before = v.copyCamera(camera);
                    // No ground under the camera is known here: the highest counts, which
                    // flies slowest.
                    v.fly(camera, thrust, 1 / 60, camera.z - extent[5], v.topSpeed(extent));
                    v.keepInBox(camera, extent);
                    const step = Math.hypot(camera.x - before.x, camera.y - before.y);
                    assert.ok(step <= span * 0.15 / 60 + 1e-6, `${name}: ${step} in a frame`);
                }
                assert.ok(inBox(camera, extent), `${name}: ${JSON.stringify(camera)}`);
                assert.ok(worldOnScreen(camera, extent, 1.6),
                    `${name} over ${extent}: ${JSON.stringify(camera)}`);
            }
        }
    });

    test("near the ground the speed is the viewer's", () => {
        for (const extent of Extents) {
            const camera = {x: 0, y: 0, z: 0, yaw: Math.PI, pitch: 1.5 * Math.PI};
            v.fly(camera, {forward: 1, right: 0, up: 0, fast: false}, 1, 200, v.topSpeed(extent));
            assert.ok(Math.abs(camera.y - 160) < 1e-9, `${camera.y}`);
        }
    });
});

describe("the words for a place without ground", () => {
    test("a hole, an unreadable sector, outside the box, a sector", () => {
        const context = vm.createContext({});
        context.window = context;
        context.Velmora = {};
        const file = path.join(repository, "web", "js", "ground.js");
        vm.runInContext(fs.readFileSync(file, "utf8"), context, {filename: file});
        const held = {name: "0_0", a: 0, b: 0, drawn: true};
        const world = {
            box: {firstA: 0, firstB: 0, columnsA: 3, rowsB: 2},
            sectors: [held, {name: "1_0", a: 1, b: 0, drawn: false}],
            unreadable: [{name: "2_1", reason: "truncated"}],
            sectorAt: new Map([["0_0", held]]),
        };
        const ground = new context.Velmora.Ground(world, null);
        for (const [x, y, words] of [
            [630, 1259.5, "x 630.0, y 1259.5"],
            [1900, 600, "sector 1_0 could not be read"],
            [3000, 2000, "sector 2_1 could not be read"],
            [2000, 2000, "no sector at 1_1"],
            [-0.5, 600, "outside the world"],
            [3780, 10, "outside the world"],
            [10, 2520, "outside the world"],
            [NaN, 0, ""],
            [1e300, 1e300, "outside the world"],
        ]) {
            assert.equal(ground.place(x, y), words, `(${x}, ${y})`);
        }
    });
});
