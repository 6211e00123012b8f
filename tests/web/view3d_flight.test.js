// Flying the 3D view, opened from disk, as velmora-world flies: a link's camera after a reload,
// the keys, the mouse, touch, the overview on Home, the ground under the pointer, and frames
// drawn only when something changed.
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const path = require("node:path");
const {after, before, describe, test} = require("node:test");

const {Browser, Unsupported, Width, Height} = require("./support/browser");
const {makeSite} = require("./support/site");
const {Rolling} = require("./support/worlds");
const {readPng, viewPicture, difference} = require("./support/view3d_pictures");

const TurnStep = 0.005;
const CentreX = Width / 2;
const CentreY = Height / 2;

// A camera string: few decimals, so that the address keeps it as it is.
function cameraString(c) {
    return [c.x, c.y, c.z, c.yaw, c.pitch].join(",");
}

describe("flying the 3D view", () => {
    let site;
    let browser;
    let page;
    before(async () => {
        site = makeSite({Test: Rolling}, "Test");
        browser = await Browser.launch();
    });
    after(async () => {
        if (page) {
            await page.close();
        }
        await browser.close();
    });

    async function open(camera) {
        if (page) {
            await page.close();
        }
        page = await browser.open(`${site.page}#camera=${cameraString(camera)}&shading=height`,
            site.folder);
        await settled();
    }

    async function settled() {
        await page.page.waitForFunction(() => Velmora.app && Velmora.app.view3d &&
            Velmora.app.view3d.settled(), {polling: 50, timeout: 60000});
    }

    function camera() {
        return page.page.evaluate(() => Velmora.app.view3d.camera());
    }

    // Waits until the camera differs from `before`.
    function cameraMovesFrom(before) {
        return page.page.waitForFunction((b) => {
            const c = Velmora.app.view3d.camera();
            return c.x !== b.x || c.y !== b.y || c.z !== b.z || c.yaw !== b.yaw || c.pitch !== b.pitch;
        }, {polling: "raf"}, before);
    }

    // Holds `key` until the camera has moved, then lets it go; gives the cameras before and
    // after.
    async function hold(key) {
        const from = await camera();
        await page.page.focus("canvas.velmora-view3d");
        await page.page.keyboard.down(key);
        await cameraMovesFrom(from);
        await page.page.keyboard.up(key);
        await settled();
        return {from, to: await camera()};
    }

    // High over the middle of the first sectors, looking along +y and down.
    const Above = {x: 600, y: -300, z: 2000, yaw: -3.14159, pitch: 4.1};

    test("a link's camera is the view's camera, and a reload gives the same picture",
        async () => {
            const linked = {x: 812.5, y: -250, z: 1400.25, yaw: -2.9, pitch: 4.2};
            await open(linked);
            assert.deepEqual(await camera(), linked);
            const before = await viewPicture(page.page);
            await page.page.reload({waitUntil: "load"});
            await settled();
            assert.deepEqual(await camera(), linked);
            const apart = difference(before, await viewPicture(page.page));
            assert.equal(apart.mean, 0);
            assert.deepEqual(page.problems, []);
        });

    test("W and the up arrow fly ahead, S back, D and A sideways, E and Q up and down",
        async () => {
            await open(Above);
            const heading = {x: -Math.sin(Above.yaw), y: -Math.cos(Above.yaw)};
            for (const [key, along, side, up] of [["KeyW", 1, 0, 0], ["ArrowUp", 1, 0, 0],
                ["KeyS", -1, 0, 0], ["KeyD", 0, 1, 0], ["ArrowLeft", 0, -1, 0],
                ["KeyE", 0, 0, 1], ["PageDown", 0, 0, -1]]) {
                const {from, to} = await hold(key);
                const dx = to.x - from.x;
                const dy = to.y - from.y;
                const dz = to.z - from.z;
                // Ahead along the heading, sideways along the picture's right (cos yaw, -sin yaw).
                const ahead = dx * heading.x + dy * heading.y;
                const right = dx * Math.cos(Above.yaw) - dy * Math.sin(Above.yaw);
                const moved = Math.hypot(dx, dy, dz);
                assert.ok(moved > 0, key);
                assert.ok(Math.abs(ahead - along * moved) < 1e-6 * moved + 1e-9, `${key}: ahead ${ahead}`);
                assert.ok(Math.abs(right - side * moved) < 1e-6 * moved + 1e-9, `${key}: right ${right}`);
                assert.ok(Math.abs(dz - up * moved) < 1e-6 * moved + 1e-9, `${key}: up ${dz}`);
                assert.equal(to.yaw, from.yaw);
                assert.equal(to.pitch, from.pitch);
            }
            assert.deepEqual(page.problems, []);
        });

    test("Home shows the overview render --all starts from", async (t) => {
        await open(Above);
        await page.page.focus("canvas.velmora-view3d");
        const from = await camera();
        await page.page.keyboard.press("Home");
        await cameraMovesFrom(from);
        await settled();
        await page.page.evaluate(() => Velmora.app.view3d.setMaxError(1));
        await settled();
        const shown = await viewPicture(page.page);
        const output = path.join(site.prefix, "overview.png");
        site.velmora(["render", "Test", "--all", "--size", `${shown.width}x${shown.height}`,
            "--output", output]);
        const apart = difference(shown, readPng(output));
        t.diagnostic(`the overview: mean ${apart.mean.toFixed(3)}, over 32 ` +
            `${(100 * apart.share32).toFixed(3)}%`);
        assert.ok(apart.mean < 0.5 && apart.share32 < 0.002, JSON.stringify(apart));
        assert.deepEqual(page.problems, []);
    });

    test("a left drag turns, a right drag slides, the wheel lowers", async () => {
        await open(Above);
        const mouse = page.page.mouse;
        // The first move of a drag only anchors it, as in the viewer.
        await mouse.move(CentreX, CentreY);
        await mouse.down();
        await mouse.move(CentreX + 10, CentreY);
        await mouse.move(CentreX + 50, CentreY - 10);
        await mouse.up();
        let now = await camera();
        assert.ok(Math.abs(now.yaw - (Above.yaw - 40 * TurnStep)) < 1e-12, `yaw ${now.yaw}`);
        assert.ok(Math.abs(now.pitch - (Above.pitch - 10 * TurnStep)) < 1e-12, `pitch ${now.pitch}`);
        assert.deepEqual([now.x, now.y, now.z], [Above.x, Above.y, Above.z]);

        const turned = now;
        await mouse.move(CentreX, CentreY);
        await mouse.down({button: "right"});
        await mouse.move(CentreX, CentreY + 5);
        await mouse.move(CentreX, CentreY + 45);
        await mouse.up({button: "right"});
        now = await camera();
        // Pulling the picture down slides the camera ahead, along (sin yaw, cos yaw) turned
        // round: the viewer's directions, faster high above the ground.
        const dx = now.x - turned.x;
        const dy = now.y - turned.y;
        assert.ok(Math.hypot(dx, dy) > 40, `${dx}, ${dy}`);
        assert.ok(Math.abs(dx * Math.cos(turned.yaw) - dy * Math.sin(turned.yaw)) < 1e-6);
        assert.equal(now.z, turned.z);

        const slid = now;
        await mouse.wheel({deltaY: -100});
        await cameraMovesFrom(slid);
        now = await camera();
        assert.ok(now.z < slid.z, `${now.z}`);
        assert.deepEqual([now.x, now.y, now.yaw, now.pitch], [slid.x, slid.y, slid.yaw, slid.pitch]);
        assert.deepEqual(page.problems, []);
    });

    // Two fingers that move in one touch event: Chromium's protocol alone can send them.
    test("one finger turns, two slide, and spreading them lowers",
        {skip: Unsupported.devtoolsProtocol}, async () => {
        await open(Above);
        const session = await page.page.createCDPSession();
        const touch = (type, points) => session.send("Input.dispatchTouchEvent", {type,
            touchPoints: points.map(([x, y], id) => ({x, y, id}))});
        await touch("touchStart", [[CentreX, CentreY]]);
        await touch("touchMove", [[CentreX + 20, CentreY]]);
        await touch("touchMove", [[CentreX + 60, CentreY + 10]]);
        await touch("touchEnd", []);
        let now = await camera();
        assert.ok(Math.abs(now.yaw - (Above.yaw - 60 * TurnStep)) < 1e-12, `yaw ${now.yaw}`);
        assert.ok(Math.abs(now.pitch - (Above.pitch + 10 * TurnStep)) < 1e-12);

        const turned = now;
        await touch("touchStart", [[CentreX - 100, CentreY], [CentreX + 100, CentreY]]);
        await touch("touchMove", [[CentreX - 100, CentreY + 40], [CentreX + 100, CentreY + 40]]);
        now = await camera();
        assert.ok(Math.hypot(now.x - turned.x, now.y - turned.y) > 30);
        assert.equal(now.z, turned.z);
        assert.equal(now.yaw, turned.yaw);

        const slid = now;
        await touch("touchMove", [[CentreX - 150, CentreY + 40], [CentreX + 150, CentreY + 40]]);
        await touch("touchEnd", []);
        now = await camera();
        assert.ok(now.z < slid.z, `${now.z} after ${slid.z}`);
        assert.deepEqual([now.x, now.y], [slid.x, slid.y]);
        await session.detach();
        assert.deepEqual(page.problems, []);
    });

    // The ground text once the pointer is at (x, y) and the frame under it is whole.
    async function groundAt(x, y) {
        await page.page.mouse.move(x, y);
        await settled();
        return page.page.evaluate(() => [Velmora.app.view3d.groundText(),
            document.querySelector("[role=status]").textContent]);
    }

    test("the ground under the pointer reads as velmora-world's status bar", async () => {
        // Straight down over the flat water of sector 0_0 (samples of 80 where x + y < 12).
        await open({x: 30, y: 30, z: 300, yaw: 0, pitch: 3.14159265358979});
        let [text, status] = await groundAt(CentreX, CentreY);
        assert.equal(text, "sector 0_0, sample 80, height 20.0");
        assert.equal(status, text);
        // The hole at 1_1 and beyond the world's edge hold nothing.
        await open({x: 1890, y: 1890, z: 2000, yaw: 0, pitch: 3.14159265358979});
        [text] = await groundAt(CentreX, CentreY);
        assert.equal(text, "");
        // Over the checkerboard of sector 5_5: its samples, never a coarser level's 3002.
        await open({x: 6930, y: 6930, z: 1200, yaw: 0, pitch: 3.14159265358979});
        for (const [dx, dy] of [[0, 0], [7, 3], [-20, 11], [31, -17]]) {
            [text] = await groundAt(CentreX + dx, CentreY + dy);
            assert.match(text, /^sector 5_5, sample 300[04], height 75[01]\.\d$/);
        }
        // The sky: looking at the horizon, the pointer at the top.
        await open(Above);
        await page.page.evaluate(() => Velmora.app.view3d.setCamera(
            {x: 600, y: -300, z: 2000, yaw: -3.14159, pitch: 4.712}));
        [text] = await groundAt(CentreX, 20);
        assert.equal(text, "");
        assert.deepEqual(page.problems, []);
    });

    test("a double click glides to the point under the pointer", async () => {
        await open(Above);
        const from = await camera();
        await page.page.mouse.click(CentreX, CentreY, {count: 2});
        await cameraMovesFrom(from);
        await settled();
        const to = await camera();
        // 35 degrees down at the point, nearer than before; the pitch the short way round.
        const down = 1.5 * Math.PI - 35 * Math.PI / 180;
        const turn = to.pitch - down;
        assert.ok(Math.abs(turn - 2 * Math.PI * Math.round(turn / (2 * Math.PI))) < 1e-9, `${to.pitch}`);
        assert.ok(to.z < from.z, `${to.z}`);
        assert.deepEqual(page.problems, []);
    });

    test("a lost GL context comes back with the same picture", async () => {
        await open(Above);
        const before = await viewPicture(page.page);
        await page.page.evaluate(() => new Promise((resolve) => {
            const canvas = Velmora.app.view3d.canvas;
            const lose = canvas.getContext("webgl2").getExtension("WEBGL_lose_context");
            canvas.addEventListener("webglcontextlost", () => setTimeout(() => lose.restoreContext()),
                {once: true});
            canvas.addEventListener("webglcontextrestored", () => resolve(), {once: true});
            lose.loseContext();
        }));
        await page.page.waitForFunction(() => Velmora.app.view3d.renderer !== null &&
            Velmora.app.view3d.settled(), {polling: 50});
        assert.equal(difference(before, await viewPicture(page.page)).mean, 0);
        assert.deepEqual(page.problems, []);
    });

    test("frames are drawn when something changes, and none while nothing does", async () => {
        await open(Above);
        const frames = () => page.page.evaluate(() => Velmora.app.view3d.renderer.frameNumber);
        const idle = () => page.page.evaluate(() => new Promise((resolve) => {
            let left = 30;
            const next = () => (--left > 0 ? requestAnimationFrame(next) : resolve());
            requestAnimationFrame(next);
        }));
        const still = await frames();
        await idle();
        assert.equal(await frames(), still);
        await page.page.evaluate(() => Velmora.app.view3d.setShading("hillshade"));
        await settled();
        const lit = await frames();
        assert.ok(lit > still);
        await idle();
        assert.equal(await frames(), lit);
        assert.deepEqual(page.problems, []);
    });
});
