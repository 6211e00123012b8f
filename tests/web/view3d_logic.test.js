// The 3D view's workings without a browser: its scripts run in node on a site velmora web wrote.
// Which patches a frame draws (the desktop's level-of-detail walk: within the bound, the
// coarsest that is, every sector in view once, coarse until its tile is here, nodes standing in
// until their children's chunk is), what it asks for and in what order, the skirts between
// patches, the triangles of a patch, the ground under a point and its text, and what the keys,
// the wheel and the fingers mean.
"use strict";

const assert = require("node:assert/strict");
const {before, describe, test} = require("node:test");

const {makeSite} = require("./support/site");
const {loadView, readWorld, siteLoader, selectSettled} = require("./support/view3d_scripts");

// Waves with rough places, over places 0 to 9 along A with gaps, so that the level tree has a
// root of level 4 (its nodes in lod/top) above chunks of level 3, and blocks of four places
// whole, whose first-level nodes may stand in for them (a node over a gap never does).
const Wide = {
    sectors: ["0_0", "1_0", "2_0", "3_0", "0_1", "1_1", "2_1", "3_1", "0_2", "2_2", "8_0", "9_0",
        "8_1", "9_1"],
    sample(x, y) {
        const rough = (Math.floor(x / 126) + Math.floor(y / 126)) % 3 === 0 ?
            ((x * 7919 + y * 104729) % 9) : 0;
        return Math.round(2000 + 400 * Math.sin(x / 37) * Math.cos(y / 23) + x / 3 + rough);
    },
};

// Values made in the scripts' own context have its prototypes: compared as plain data.
function plain(value) {
    return JSON.parse(JSON.stringify(value));
}

function random(seed) {
    let state = seed >>> 0;
    return () => {
        state = (Math.imul(state, 1664525) + 1013904223) >>> 0;
        return state / 4294967296;
    };
}

describe("the 3D view's level of detail", () => {
    let Velmora;
    let v;
    let site;
    let world;
    before(async () => {
        site = makeSite({Wide}, "Wide");
        Velmora = loadView();
        v = Velmora.view3d;
        world = await readWorld(Velmora, site.folder);
    });

    function freshData() {
        const loader = siteLoader(site.folder);
        const data = new v.TerrainData(world, loader, () => {});
        data.asked = loader.asked;
        return data;
    }

    function onScreen(errorSamples, distance, height) {
        return errorSamples * 0.25 * (height / (2 * Math.tan(Math.PI / 8))) / distance;
    }

    function boxDistance(camera, minX, minY, minZ, maxX, maxY, maxZ) {
        const axis = (value, low, high) => (value < low ? low - value : value > high ? value - high : 0);
        const dx = axis(camera.x, minX, maxX);
        const dy = axis(camera.y, minY, maxY);
        const dz = axis(camera.z, minZ, maxZ);
        return Math.max(1, Math.sqrt(dx * dx + dy * dy + dz * dz));
    }

    test("the tree is the generator's: a root of level 4 over chunks of level 3", () => {
        assert.equal(world.nodes[world.root].level, 4);
        assert.deepEqual(Object.keys(world.chunks).sort(), ["lod/3_0_0", "lod/3_1_0", "lod/top"]);
    });

    test("every patch is within the bound, the coarsest that is, and every sector in view is " +
        "drawn once", async () => {
        const data = freshData();
        const next = random(7);
        const [width, height] = [640, 400];
        let sectorPatches = 0;
        let nodePatches = 0;
        for (let round = 0; round < 40; round += 1) {
            // Low over the ground, and every third far off, where nodes draw it.
            const far = round % 3 === 0 ? 4 : 1;
            const camera = {x: -1500 + 16000 * next(), y: -1500 * far + 7000 * next(),
                z: (300 + 3000 * next()) * far, yaw: 2 * Math.PI * next(),
                pitch: Math.PI + 0.2 + 1.3 * next()};
            const bound = [0.5, 1, 1.5, 4][round % 4];
            const frame = await selectSettled(Velmora, data, camera, width, height, bound);
            for (const patch of frame.patches) {
                const span = 10 * patch.step * (patch.side - 1);
                const minX = 10 * patch.originX;
                const minY = 10 * patch.originY;
                if (patch.key.startsWith("n")) {
                    const node = world.nodes[Number(patch.key.slice(1))];
                    const distance = boxDistance(camera, minX, minY, 0.25 * node.least,
                        minX + span, minY + span, 0.25 * node.greatest);
                    assert.ok(onScreen(node.error, distance, height) <= bound, patch.key);
                    assert.equal(span, 1260 * 2 ** node.level);
                    nodePatches += 1;
                    continue;
                }
                const [sector, level] = patch.key.slice(1).split("_").map(Number);
                const s = world.sectors[sector];
                assert.equal(patch.step, [18, 9, 6, 3, 2, 1][level]);
                assert.deepEqual([patch.originX, patch.originY], [126 * s.a, 126 * s.b]);
                const distance = boxDistance(camera, minX, minY, 0.25 * s.least, minX + 1260,
                    minY + 1260, 0.25 * s.greatest);
                // Within the bound, and the level before it (coarser) is not.
                assert.ok(level === 5 || onScreen(s.levelErrors[level], distance, height) <= bound);
                assert.ok(level === 0 || onScreen(s.levelErrors[level - 1], distance, height) > bound,
                    `${patch.key} could be coarser`);
                // Its samples are the sector's own, every step-th.
                for (const [i, j] of [[0, 0], [patch.side - 1, 1], [3, patch.side - 2]]) {
                    assert.equal(patch.heights[i * patch.side + j],
                        Wide.sample(126 * s.a + i * patch.step, 126 * s.b + j * patch.step));
                }
                sectorPatches += 1;
            }
            // No place is drawn twice, and a sector whose middle is on screen is drawn.
            const rotation = v.viewRotation(camera);
            for (const s of world.sectors) {
                const middle = [1260 * s.a + 630, 1260 * s.b + 630];
                const covering = frame.patches.filter((patch) => {
                    const span = 10 * patch.step * (patch.side - 1);
                    return middle[0] > 10 * patch.originX && middle[0] < 10 * patch.originX + span &&
                        middle[1] > 10 * patch.originY && middle[1] < 10 * patch.originY + span;
                });
                assert.ok(covering.length <= 1, `${s.name} drawn ${covering.length} times`);
                const z = Wide.sample(126 * s.a + 63, 126 * s.b + 63) / 4;
                const p = v.toView(rotation, middle[0] - camera.x, middle[1] - camera.y, z - camera.z);
                const tan = Math.tan(Math.PI / 8);
                if (p[2] > 1 && Math.abs(p[0]) < p[2] * tan * width / height && Math.abs(p[1]) < p[2] * tan) {
                    assert.equal(covering.length, 1, `${s.name} is on screen`);
                }
            }
        }
        // The cameras saw both nodes and sectors.
        assert.ok(sectorPatches > 20 && nodePatches > 2, `${sectorPatches} and ${nodePatches}`);
    });

    test("at 0 pixels every sector in view is drawn at every sample", async () => {
        const data = freshData();
        const camera = v.overviewCamera(world.extent);
        const frame = await selectSettled(Velmora, data, camera, 800, 450, 0);
        assert.equal(frame.patches.length, world.sectors.length);
        assert.ok(frame.patches.every((patch) => patch.step === 1 && patch.side === 127));
    });

    test("chunks come first, then tiles nearest first; meanwhile nodes and coarse sectors stand in",
        async () => {
            const data = freshData();
            const camera = {x: 1300, y: -900, z: 900, yaw: -Math.PI, pitch: 4.3};
            // Nothing is here: nothing is drawn, and the root's chunk is all it wants.
            let frame = v.select(data, camera, 800, 450, 1);
            assert.deepEqual(plain(frame.patches), []);
            assert.deepEqual(Array.from(frame.wanted.keys()), ["lod/top"]);
            data.request(frame.wanted);
            await new Promise((resolve) => setImmediate(resolve));
            // The top's nodes, standing in for their children, whose chunks it wants.
            frame = v.select(data, camera, 800, 450, 1);
            assert.ok(frame.patches.length > 0);
            assert.ok(frame.patches.every((patch) => patch.key.startsWith("n")));
            assert.ok(frame.patches.every((patch) => world.nodes[Number(patch.key.slice(1))].level >= 3));
            assert.ok(Array.from(frame.wanted.keys()).every((key) => /^lod\/3_/.test(key)));
            data.request(frame.wanted);
            await new Promise((resolve) => setImmediate(resolve));
            // Sectors at their coarsest, their tiles wanted, nearer ones sooner.
            frame = v.select(data, camera, 800, 450, 1);
            const coarse = frame.patches.filter((patch) => patch.key.startsWith("s"));
            assert.ok(coarse.length > 0 && coarse.every((patch) => patch.step === 18));
            assert.ok(frame.missingSectors > 0);
            const tiles = Array.from(frame.wanted.entries());
            assert.ok(tiles.length > 0 && tiles.every(([key]) => key.startsWith("tiles/0/")));
            const order = tiles.sort((a, b) => a[1].priority - b[1].priority).map(([key]) => key);
            // The camera is nearest tile 0_0 (sectors 0 to 3 of the first row).
            assert.equal(order[0], "tiles/0/0_0");
            assert.ok(tiles.every(([, want]) => want.priority > 1e12));
            assert.ok(data.asked.slice(0, 3).every((ask) => ask.key.startsWith("lod/")));
            data.request(frame.wanted);
            await new Promise((resolve) => setImmediate(resolve));
            frame = v.select(data, camera, 800, 450, 1);
            assert.equal(frame.wanted.size, 0);
            assert.equal(frame.missingSectors, 0);
            assert.ok(frame.patches.some((patch) => patch.step < 18));
        });

    test("a world with no sector to draw wants nothing and draws nothing", () => {
        const empty = {root: -1, nodes: [], sectors: [], tiles: [new Map()], chunks: {}, skirtDepth: 0,
            box: {firstA: 0, firstB: 0, columnsA: 0, rowsB: 0}};
        const data = new v.TerrainData(empty, () => assert.fail("nothing to load"), () => {});
        const frame = v.select(data, v.overviewCamera([0, 0, 0, 0, 0, 0]), 640, 400, 1);
        assert.equal(frame.walked, true);
        assert.equal(frame.patches.length, 0);
        assert.equal(frame.wanted.size, 0);
    });

    test("what a frame no longer wants is let go, what fails is not asked again", async () => {
        const waiting = [];
        const loader = (key, version, priority) => new Promise((resolve, reject) => {
            waiting.push({key, priority, resolve, reject});
        });
        const dropped = [];
        const data = new v.TerrainData(world, loader, (keep) => {
            for (const request of waiting) {
                if (!keep(request.key) && !dropped.includes(request.key)) {
                    dropped.push(request.key);
                    request.reject(new Error("no longer wanted"));
                }
            }
        });
        const want = (entries) => new Map(entries.map(([key, priority]) => [key, {version: 1, priority}]));
        data.request(want([["lod/3_0_0", 5], ["lod/3_1_0", 9]]));
        assert.equal(data.outstanding(), 2);
        // Asked again nearer: the same request, sooner.
        data.request(want([["lod/3_0_0", 5], ["lod/3_1_0", 2]]));
        assert.deepEqual(plain(waiting.map((w) => [w.key, w.priority])),
            [["lod/3_0_0", 5], ["lod/3_1_0", 9], ["lod/3_1_0", 2]]);
        // No longer wanted: dropped, and nothing is outstanding for it.
        data.request(want([["lod/3_0_0", 5]]));
        await new Promise((resolve) => setImmediate(resolve));
        assert.deepEqual(plain(dropped), ["lod/3_1_0"]);
        assert.equal(data.outstanding(), 1);
        assert.equal(data.chunks.has("lod/3_1_0"), false);
        // A failure is remembered and reported, and the frame no longer wants it.
        waiting[0].reject(new Error("cannot be loaded"));
        await new Promise((resolve) => setImmediate(resolve));
        assert.equal(data.chunks.get("lod/3_0_0"), "failed");
        assert.deepEqual(plain(data.failures), ["lod/3_0_0: cannot be loaded"]);
        assert.equal(data.outstanding(), 0);
    });

    test("with the page's shared tiles, a tile is asked of them and let go through them", async () => {
        const calls = [];
        let answer;
        const tiles = {
            get: (level, x, y, priority) => {
                calls.push(["get", level, x, y, priority]);
                return new Promise((resolve) => { answer = resolve; });
            },
            release: (level, x, y) => calls.push(["release", level, x, y]),
        };
        const data = new v.TerrainData(world, () => assert.fail("no chunk asked"), () => {}, tiles);
        data.request(new Map([["tiles/0/2_0", {version: 1, priority: 1e12 + 5}]]));
        data.request(new Map());
        assert.deepEqual(calls, [["get", 0, 2, 0, 1e12 + 5], ["release", 0, 2, 0]]);
        // It came all the same: kept, and the sector's samples are read from it.
        const heights = new Uint16Array(506 * 506);
        heights[(126 * 0 + 5 - 0 + 1) * 506 + (126 * 9 + 7 - 504 * 2 + 1)] = 4321;
        answer({heights});
        await new Promise((resolve) => setImmediate(resolve));
        assert.equal(data.outstanding(), 0);
        const sector = world.sectors.find((s) => s.a === 9 && s.b === 0);
        assert.equal(data.sectorGrid(sector, 1)[7 * 127 + 5], 4321);
    });
});

describe("skirts, triangles and the ground", () => {
    let v;
    before(() => {
        v = loadView().view3d;
    });

    function patch(originX, originY, step, side, height) {
        const heights = new Uint16Array(side * side);
        for (let i = 0; i < side; i += 1) {
            for (let j = 0; j < side; j += 1) {
                heights[i * side + j] = height ? height(i, j) : 0;
            }
        }
        return {key: `p${originX}_${originY}_${step}`, version: 1, originX, originY, step, side,
            heights, present: null, skirtDepth: 1000};
    }

    test("neighbours sharing their points hang no skirt, the rim none, parted ones the gap and a " +
        "sample spacing", () => {
        const patches = [patch(0, 0, 1, 127), patch(126, 0, 1, 127), patch(0, 126, 2, 64)];
        const at = (p, i, j) => i * p.side + j;
        // Along y = 126 the step-2 edge runs straight between its points and the sector's steps
        // half a sample off between them; along x = 126 both sectors hold the same points.
        for (let i = 0; i < 64; i += 1) {
            patches[2].heights[at(patches[2], i, 0)] = 1200 - i;
            patches[0].heights[at(patches[0], 2 * i, 126)] = 1200 - i;
            if (2 * i + 1 < 127) {
                patches[0].heights[at(patches[0], 2 * i + 1, 126)] = 1200 - i;
            }
        }
        for (let j = 0; j < 127; j += 1) {
            if (j < 126) {
                patches[0].heights[at(patches[0], 126, j)] = 900 + (j * j) % 71;
            }
            patches[1].heights[at(patches[1], 0, j)] = patches[0].heights[at(patches[0], 126, j)];
        }
        const depths = v.skirtDepths(patches);
        assert.deepEqual(plain(depths), [[0, 0, 0, 0.5 * 0.25 + 10], [0, 0, 0, 0], [0, 0, 0.5 * 0.25 + 10, 0]]);
        // Never deeper than the patch allows.
        patches[2].skirtDepth = 4;
        assert.deepEqual(plain(v.skirtDepths(patches)[2]), [0, 0, 4, 0]);
    });

    test("a patch's cells are cut along the viewer's diagonal and wound as its strips", () => {
        const made = v.patchIndices(3, null);
        assert.equal(made.groundCount, 4 * 6);
        // Cell (0, 0): (0, 1), (0, 0), (1, 1) and (0, 0), (1, 0), (1, 1).
        assert.deepEqual(Array.from(made.indices.subarray(0, 6)), [1, 0, 4, 0, 3, 4]);
        // Each skirt joins its edge to the points below it: edge 1 (i = 2) hangs points 12 to 14.
        assert.deepEqual(plain(made.skirtCount), [12, 12, 12, 12]);
        assert.deepEqual(Array.from(made.indices.subarray(made.skirtFirst[1], made.skirtFirst[1] + 6)),
            [6, 7, 13, 6, 13, 12]);
        // Seen from above by the viewer's camera, every ground triangle turns clockwise on screen.
        const camera = {x: 10, y: 10, z: 500, yaw: 0, pitch: Math.PI};
        const r = v.viewRotation(camera);
        for (let t = 0; t < made.groundCount; t += 3) {
            const screen = Array.from(made.indices.subarray(t, t + 3), (point) => {
                const p = v.toView(r, 10 * Math.floor(point / 3) - 10, 10 * (point % 3) - 10, -500);
                return [p[0] / p[2], -p[1] / p[2]];  // screen y down
            });
            const [a, b, c] = screen;
            const area = (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
            assert.ok(area > 0, `triangle ${t / 3} runs anticlockwise`);
        }
        // An absent point takes every triangle and skirt piece that needs it.
        const present = new Uint8Array(9).fill(1);
        present[4] = 0;
        const holed = v.patchIndices(3, present);
        assert.equal(holed.groundCount, 2 * 3);
        assert.ok(!Array.from(holed.indices).includes(4));
    });

    test("the ground is the finest patch's surface, cut as the viewer cuts its cells", () => {
        const coarse = patch(0, 0, 18, 8, (i, j) => 1000 + 40 * i + 7 * j);
        const fine = patch(18, 36, 1, 3, (i, j) => (i === j ? 2000 : 1000));
        for (let i = 0; i < 8; i += 3) {
            for (let j = 0; j < 8; j += 2) {
                const at = v.groundAt([coarse], 180 * i, 180 * j);
                assert.equal(at.height, 0.25 * (1000 + 40 * i + 7 * j));
                assert.equal(at.nearest, 1000 + 40 * i + 7 * j);
            }
        }
        assert.equal(v.groundAt([coarse, fine], 185, 365).height, 500);
        assert.equal(v.groundAt([coarse, fine], 187.5, 362.5).height, 0.25 * 1500);
        assert.equal(v.groundAt([coarse, fine], 182.5, 367.5).height, 0.25 * 1500);
        assert.equal(v.groundAt([coarse, fine], 184, 366).nearest, 1000);
        assert.equal(v.groundAt([coarse, fine], 194, 366).nearest, 2000);
        fine.present = new Uint8Array(9).fill(1);
        fine.present[4] = 0;
        assert.equal(v.groundAt([fine], 185, 365), null);
        assert.notEqual(v.groundAt([fine], 182, 377), null);
        assert.equal(v.groundAt([coarse], -1, 50), null);
        assert.equal(v.groundAt([coarse], 50, 1261), null);
    });

    test("a pixel's ray finds the ground drawn there, and the skirt where one shows", () => {
        const ground = patch(0, 0, 1, 4, (i, j) => 400 + 10 * i + j);
        const depths = [[0, 0, 0, 0]];
        // Straight down: the middle pixel of an even view lies half a pixel off the middle.
        const camera = {x: 15, y: 12, z: 300, yaw: 0, pitch: Math.PI};
        const hit = v.pickPoint([ground], depths, camera, 100, 100, 50, 50);
        const ray = v.pixelRay(camera, 100, 100, 50, 50);
        assert.ok(Math.abs(hit[0] - (15 + ray.dx * (300 - hit[2]) / -ray.dz)) < 1e-9);
        assert.ok(Math.abs(hit[2] - v.groundAt([ground], hit[0], hit[1]).height) < 1e-9);
        assert.equal(v.pickPoint([ground], depths, camera, 100, 100, 0, 0), null);  // off the patch
        // Level with the ground, looking at the edge i = 0 from outside: a skirt catches the ray
        // below the edge, none lets it through.
        const side = {x: -100, y: 15, z: 90, yaw: -Math.PI / 2, pitch: 1.5 * Math.PI};
        assert.equal(v.pickPoint([ground], depths, side, 100, 100, 50, 50), null);
        const hung = v.pickPoint([ground], [[50, 0, 0, 0]], side, 100, 100, 50, 50);
        assert.ok(Math.abs(hung[0]) < 1e-9, `${hung}`);
    });

    test("the ground text reads as velmora-world's, heights rounded as printf rounds", () => {
        assert.equal(v.groundText(1300, 2600, 812, 203.25), "sector 1_2, sample 812, height 203.2");
        assert.equal(v.groundText(-1, 1259.9, 4, 203.75), "sector -1_0, sample 4, height 203.8");
        assert.deepEqual([0.25, 0.75, 1.25, 2.5, 0.05, 0.15, 99.95, 1e-9].map(v.formatFixed1),
            ["0.2", "0.8", "1.2", "2.5", "0.1", "0.1", "100.0", "0.0"]);
    });
});

describe("flying", () => {
    let Velmora;
    let v;
    before(() => {
        Velmora = loadView();
        v = Velmora.view3d;
    });

    test("the camera is lifted to its clearance above the ground, never pushed down", () => {
        const camera = {x: 100, y: 200, z: 40, yaw: 0.3, pitch: 3.5};
        v.keepAboveGround(camera, 50);
        assert.equal(camera.z, 55);
        camera.z = 55.5;
        v.keepAboveGround(camera, 50);
        assert.equal(camera.z, 55.5);
        camera.z = -20;
        v.keepAboveGround(camera, null);
        assert.equal(camera.z, -20);
    });

    test("keys fly at a speed that grows with the height above the ground, Shift four times", () => {
        const camera = {x: 0, y: 0, z: 1000, yaw: 0, pitch: 4};
        v.fly(camera, {forward: 1, right: 0, up: 0, fast: false}, 0.5, 1000);
        // Looking along -y at yaw 0 (the picture's top is -y): 0.8 x 1000 units a second.
        assert.ok(Math.abs(camera.y + 400) < 1e-9 && Math.abs(camera.x) < 1e-9, JSON.stringify(camera));
        v.fly(camera, {forward: 0, right: 0, up: 1, fast: true}, 0.5, 10);
        assert.equal(camera.z, 1000 + 30 * 4 * 0.5);  // the least speed, four times
        const diagonal = {x: 0, y: 0, z: 0, yaw: 0, pitch: 4};
        v.fly(diagonal, {forward: 1, right: 1, up: 0, fast: false}, 1, 100);
        assert.ok(Math.abs(Math.hypot(diagonal.x, diagonal.y) - 80) < 1e-9);
    });

    test("a glide eases from one camera to the next, turning the short way round", () => {
        const glide = new v.Glide({x: 0, y: 0, z: 100, yaw: 3.0, pitch: 4},
            {x: 100, y: 50, z: 0, yaw: -3.0, pitch: 4}, 0.8);
        assert.deepEqual(plain(glide.at(0)), {x: 0, y: 0, z: 100, yaw: 3.0, pitch: 4});
        const middle = glide.at(0.4);
        assert.ok(Math.abs(middle.yaw - Math.PI) < 1e-9 && Math.abs(middle.x - 50) < 1e-9);
        const end = glide.at(2);
        assert.ok(Math.abs(end.yaw - (2 * Math.PI - 3.0)) < 1e-9 && glide.over(0.8));
    });

    test("the overview and a glide's end look at what they should", () => {
        const extent = [0, 0, 100, 6300, 2520, 900];
        const overview = v.overviewCamera(extent);
        // The world's middle at its lowest lies straight ahead, in the middle of the picture.
        const r = v.viewRotation(overview);
        const p = v.toView(r, 3150 - overview.x, 1260 - overview.y, 100 - overview.z);
        assert.ok(Math.abs(p[0]) < 1e-9 && Math.abs(p[1]) < 1e-9 && p[2] > 0);
        assert.deepEqual(plain([overview.y, overview.z]), [-0.6 * 6300, 900 + 0.5 * 6300]);
        const end = v.lookingAt(overview, 2000, 1000, 300);
        const q = v.toView(v.viewRotation(end), 2000 - end.x, 1000 - end.y, 300 - end.z);
        assert.ok(Math.abs(q[0]) < 1e-9 && Math.abs(q[1]) < 1e-9);
        assert.ok(Math.abs(Math.hypot(q[2]) - Math.hypot(2000 - overview.x, 1000 - overview.y,
            300 - overview.z) / 3) < 1e-6);
    });

    test("camera strings are read as velmora render --camera takes them", () => {
        assert.deepEqual(plain(v.parseCamera("1,2.5,-3,0.25,4")), {x: 1, y: 2.5, z: -3, yaw: 0.25, pitch: 4});
        for (const bad of ["1,2,3,4", "1,2,3,4,5,6", "1,2,,4,5", "a,2,3,4,5", "1,2,3,4,Infinity"]) {
            assert.equal(v.parseCamera(bad), null, bad);
        }
        assert.equal(v.cameraText({x: 1, y: 2, z: 3, yaw: 0.5, pitch: 4}), "1.000,2.000,3.000,0.500000,4.000000");
    });

    test("held keys, the wheel and fingers mean what they mean in velmora-world", () => {
        const c = Velmora.controls;
        assert.deepEqual(plain(c.thrustOf(new Set(["KeyW", "KeyD", "Shift"]))), {forward: 1, right: 1, up: 0, fast: true});
        assert.deepEqual(plain(c.thrustOf(new Set(["ArrowDown", "ArrowLeft", "PageUp"]))),
            {forward: -1, right: -1, up: 1, fast: false});
        assert.deepEqual(plain(c.thrustOf(new Set(["KeyW", "ArrowDown", "KeyQ", "KeyE"]))),
            {forward: 0, right: 0, up: 0, fast: false});
        // A notch forward is a rotation of 120, whatever unit the browser gives it in.
        assert.equal(c.wheelRotation({deltaMode: 0, deltaY: -100}), 120);
        assert.equal(c.wheelRotation({deltaMode: 1, deltaY: 3}), -120);
        const one = c.touchGesture([{id: 1, x: 10, y: 10}], [{id: 1, x: 14, y: 7}]);
        assert.deepEqual(plain(one), {turn: [4, -3]});
        const two = c.touchGesture([{id: 1, x: 0, y: 0}, {id: 2, x: 100, y: 0}],
            [{id: 1, x: -10, y: 20}, {id: 2, x: 110, y: 20}]);
        assert.deepEqual(plain(two), {slide: [0, 20], lower: 20 * 6});
        assert.equal(c.touchGesture([{id: 1, x: 0, y: 0}], [{id: 2, x: 0, y: 0}]), null);
    });
});
