// Finding one's way on a shared link, opened from disk: links that name no place the world can
// hold open on the whole world with a word why (at once: #map=1e20,0,0 once hung the tab), a
// sector link outlines its sector with its name until the user moves, a camera link without
// WebGL 2 says so over the map, the 3D view keeps the world in reach of held keys and has a
// whole-world button and a hint that stays closed, and a loading word until the first picture.
"use strict";

const assert = require("node:assert/strict");
const {describe, test} = require("node:test");

const {Width, Height} = require("./support/browser");
const {openedSite} = require("./support/site");
const {Rolling} = require("./support/worlds");

// The map's place in an address: [x, y, zoom].
function mapPlace(hash) {
    const match = /#map=([-\d.]+),([-\d.]+),([-\d.]+)/.exec(hash);
    return match ? match.slice(1).map(Number) : null;
}

// Rolling's box spans places 0 to 5 each way: its middle sample.
const WorldMiddle = (126 * 6 + 1) / 2 - 0.5;

describe("finding one's way", () => {
    const opened = openedSite({Test: Rolling}, "Test");

    const notice = (page) => page.page.$eval("#notice", (box) => (box.hidden ? "" :
        box.querySelector("p").textContent));
    const markLabel = (page) => page.page.$$eval(".velmora-mark-label",
        (labels) => labels.map((label) => label.textContent));

    test("a link to no place the world can hold: the whole world at once, and why", async () => {
        const cases = [
            ["#map=1e20,0,0", /far outside the world/],
            ["#map=-1e300,1e300,1e300", /far outside the world/],
            ["#map=NaN,0,0", /\(map=NaN,0,0\) cannot be read/],
            ["#map=Infinity,0,0&shading=both", /\(map=Infinity,0,0\) cannot be read/],
            ["#sector=banana", /\(sector=banana\) cannot be read/],
            ["#sector=99999999_1", /\(sector=99999999_1\) cannot be read/],
            ["#sector=100000_2", /No sector 100000_2 in this world/],
            ["#sector=%E2%98%83_1", /\(sector=\?_1\) cannot be read/],
            ["#sector=1_1#map=1,2,3", /cannot be read/],
            ["#map=" + "9".repeat(3000) + ",0,0", /cannot be read/],
        ];
        for (const [hash, words] of cases) {
            const started = Date.now();
            const page = await opened.open(hash);
            await page.mapDrawn();
            const took = Date.now() - started;
            assert.ok(took < 10000, `${hash.slice(0, 40)}: ${took} ms`);
            assert.match(await notice(page), words, hash.slice(0, 40));
            const [x, y] = mapPlace(await page.addressBecomes((now) => mapPlace(now) !== null));
            assert.ok(Math.abs(x - WorldMiddle) < 2 && Math.abs(y - WorldMiddle) < 2,
                `${hash.slice(0, 40)}: the map is at (${x}, ${y})`);
            // The user moves on: the message goes.
            await page.page.click(".leaflet-control-zoom-in");
            await page.page.waitForFunction(() => document.getElementById("notice").hidden);
            assert.deepEqual(page.problems, []);
            await page.close();
        }
    });

    test("#sector=A_B outlines the sector with its name, or says it is not there, until the " +
        "user moves", async () => {
        for (const [sector, label] of [["2_1", "sector 2_1"], ["1_1", "no sector 1_1 in this " +
            "world yet"], ["30_30", "no sector 30_30 in this world yet"]]) {
            const page = await opened.open("#sector=" + sector);
            assert.deepEqual(await markLabel(page), [label]);
            assert.equal(await notice(page), "");
            // The outline lies on the sector's edges: 127 samples square, centred.
            const box = await page.page.$eval("path.velmora-mark", (path) => {
                const rect = path.getBoundingClientRect();
                return [rect.left + rect.width / 2, rect.top + rect.height / 2, rect.width,
                    rect.height];
            });
            assert.ok(Math.abs(box[0] - Width / 2) < 3 && Math.abs(box[1] - Height / 2) < 3,
                `${sector}: ${box}`);
            assert.ok(Math.abs(box[2] - box[3]) < 3 && box[3] > Height * 0.8, `${sector}: ${box}`);
            // A drag moves the map: the mark goes.
            await page.page.mouse.move(500, 400);
            await page.page.mouse.down();
            await page.page.mouse.move(450, 380, {steps: 3});
            await page.page.mouse.up();
            assert.deepEqual(await markLabel(page), []);
            assert.deepEqual(page.problems, []);
            await page.close();
        }
    });

    test("a camera link where the 3D view cannot draw: the map at that place, and why",
        async () => {
            // No WebGL 2 at all; WebGL 2 whose shaders do not build.
            const breaks = [
                [() => {
                    const original = HTMLCanvasElement.prototype.getContext;
                    HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
                        return kind === "webgl2" ? null : original.call(this, kind, ...rest);
                    };
                }, /needs WebGL 2/],
                [() => {
                    WebGL2RenderingContext.prototype.getShaderParameter = () => false;
                }, /^The 3D view cannot start \(the terrain program does not build/],
            ];
            for (const [broken, words] of breaks) {
                const page = await opened.browser.browser.newPage();
                await page.setViewport({width: Width, height: Height});
                await page.evaluateOnNewDocument(broken);
                await page.goto(opened.site.page + "#camera=3150,1890,3000,0,3.14159265",
                    {waitUntil: "load"});
                await page.waitForFunction(() => !document.getElementById("notice").hidden);
                assert.match(await page.$eval("#notice p", (text) => text.textContent), words);
                assert.equal(await page.$eval('[data-mode="3d"]', (button) => button.disabled),
                    true);
                assert.equal(await page.$eval("#map", (map) => map.hidden), false);
                await page.waitForFunction(() => /^#map=/.test(window.location.hash));
                const [x, y] = mapPlace(await page.evaluate(() => window.location.hash));
                assert.ok(Math.abs(x - 315) < 1 && Math.abs(y - 189) < 1,
                    `the map is at (${x}, ${y})`);
                await page.close();
            }
        });

    test("keys held for 5 s in the first 3D view leave the world in reach and on screen; the " +
        "whole-world button brings back the overview", async () => {
        const page = await opened.open();
        await page.mapDrawn();
        await page.page.click('[data-mode="3d"]');
        const view = () => page.page.evaluate(() => {
            const v = Velmora.view3d;
            const view3d = Velmora.app.view3d;
            const camera = view3d.camera();
            const extent = Velmora.app.world.extent;
            const box = v.cameraBox(extent);
            const inside = camera.x >= box.minX && camera.x <= box.maxX && camera.y >= box.minY &&
                camera.y <= box.maxY && camera.z <= box.maxZ &&
                camera.z >= v.floorAt(extent, camera.x, camera.y) - 1e-6;
            return {camera, inside, overview: v.overviewCamera(extent),
                patches: view3d.lastFrame ? view3d.lastFrame.patches.length : 0};
        });
        for (const keys of [["KeyW"], ["ShiftLeft", "KeyE"], ["KeyS", "KeyQ"], ["ShiftLeft",
            "KeyW", "KeyD"]]) {
            await page.page.focus("canvas.velmora-view3d");
            for (const key of keys) {
                await page.page.keyboard.down(key);
            }
            await new Promise((resolve) => setTimeout(resolve, 5000));
            // Shift last: Firefox's driver drops a letter's keyup once Shift is up.
            for (const key of [...keys].reverse()) {
                await page.page.keyboard.up(key);
            }
            await page.page.waitForFunction(() => Velmora.app.view3d.settled(),
                {polling: 50, timeout: 60000});
            const held = await view();
            assert.ok(held.inside, `${keys}: ${JSON.stringify(held.camera)}`);
            assert.ok(held.patches > 0,
                `${keys}: no ground on screen from ${JSON.stringify(held.camera)}`);
            await page.page.click("#whole-world");
            const home = await view();
            assert.deepEqual(home.camera, home.overview);
        }
        assert.deepEqual(page.problems, []);
        await page.close();
    });

    test("the hint of the 3D view's controls: small, and once closed, closed", async () => {
        for (const [width, height] of [[1280, 800], [360, 740]]) {
            const page = await opened.open();
            await page.page.setViewport({width, height});
            await page.mapDrawn();
            assert.equal(await page.page.$eval("#hint", (hint) => hint.hidden), true);
            await page.page.click('[data-mode="3d"]');
            const area = await page.page.$eval("#hint", (hint) => {
                const rect = hint.getBoundingClientRect();
                return hint.hidden ? 0 : rect.width * rect.height;
            });
            assert.ok(area > 0 && area <= width * height / 20, `${width} x ${height}: ${area}`);
            await page.close();
        }
        let page = await opened.open();
        await page.page.click('[data-mode="3d"]');
        await page.page.click("#hint-close");
        assert.equal(await page.page.$eval("#hint", (hint) => hint.hidden), true);
        await page.close();
        page = await opened.open();
        await page.page.click('[data-mode="3d"]');
        assert.equal(await page.page.$eval("#hint", (hint) => hint.hidden), true);
        assert.deepEqual(page.problems, []);
        await page.close();
    });

    test("the loading word until the first picture, in either view", async () => {
        const page = await opened.open();
        assert.equal(await page.page.$eval("#loading", (word) => word.textContent),
            "Loading the world\u2026");
        await page.mapDrawn();
        await page.page.waitForFunction(() => document.getElementById("loading").hidden);
        await page.page.click('[data-mode="3d"]');
        await page.page.waitForFunction(() => Velmora.app.view3d.firstPictureAt !== null);
        await page.page.waitForFunction(() => document.getElementById("loading").hidden);
        assert.deepEqual(page.problems, []);
        await page.close();
    });
});
