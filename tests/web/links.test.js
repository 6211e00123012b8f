// Links and the address: #sector=A_B and #camera=... open where they say, the address follows
// the view so that a reload returns to it, and switching between the map and the 3D view keeps
// the place.
"use strict";

const assert = require("node:assert/strict");
const {describe, test} = require("node:test");

const {Width, Height} = require("./support/browser");
const {openedSite} = require("./support/site");
const {Rolling} = require("./support/worlds");

const CentreX = Width / 2;
const CentreY = Height / 2;

// The map's place in an address: [x, y, zoom].
function mapPlace(hash) {
    const match = /#map=([-\d.]+),([-\d.]+),([-\d.]+)/.exec(hash);
    return match ? match.slice(1).map(Number) : null;
}

function sectorOf(text) {
    const match = /^sector (\d+_\d+),/.exec(text);
    return match ? match[1] : text;
}

describe("links and the address", () => {
    const opened = openedSite({Test: Rolling}, "Test");

    // The sector under each point, or "" where there is none.
    async function sectorsAt(page, points) {
        const sectors = [];
        for (const [x, y] of points) {
            sectors.push(sectorOf(await page.statusAt(x, y)));
        }
        return sectors;
    }

    test("#sector=A_B centres the map on A_B and fills most of the view with it", async () => {
        const page = await opened.open("#sector=0_1");
        await page.mapDrawn();
        // 0_1 from a tenth of the view's height to nine tenths; no ground left of it (A = -1)
        // nor right of it (the hole at 1_1) within the view's middle band.
        const points = [[CentreX, CentreY], [CentreX, Height * 0.1], [CentreX, Height * 0.9],
            [CentreX - Height * 0.5, CentreY], [CentreX + Height * 0.5, CentreY]];
        assert.deepEqual(await sectorsAt(page, points), ["0_1", "0_1", "0_1", "", ""]);
        // Another link typed into the same page's address.
        await page.page.evaluate(() => new Promise((resolve) => {
            window.addEventListener("hashchange", resolve, {once: true});
            window.location.hash = "#sector=2_2";
        }));
        await page.mapDrawn();
        assert.deepEqual(await sectorsAt(page, points), ["2_2", "2_2", "2_2", "1_2", ""]);
        assert.deepEqual(page.problems, []);
        await page.close();
    });

    test("#sector=A_B of a sector the world does not hold centres the map there all the same",
        async () => {
            // The hole 1_1, between 1_0 above and 1_2 below.
            let page = await opened.open("#sector=1_1");
            await page.mapDrawn();
            // (Left of the toolbar at the top.)
            assert.deepEqual(await sectorsAt(page, [[CentreX, CentreY], [CentreX - 260, 20],
                [CentreX, Height - 20]]), ["", "1_0", "1_2"]);
            await page.close();

            // Far beyond the world: the map is there, empty.
            page = await opened.open("#sector=40_30");
            const [x, y] = mapPlace(await page.addressBecomes((hash) => mapPlace(hash) !== null));
            assert.ok(Math.abs(x - (126 * 40 + 63)) < 1 && Math.abs(y - (126 * 30 + 63)) < 1,
                `the map is at (${x}, ${y})`);
            assert.equal(await page.statusAt(CentreX, CentreY), "");
            assert.deepEqual(page.problems, []);
            await page.close();
        });

    test("the address follows the map; a reload returns to the same place and shading",
        async () => {
            const page = await opened.open("#map=60,60,1");
            await page.mapDrawn();
            const first = await page.hash();
            // Drag the map, zoom in with the control, pick another shading, show the grid.
            await page.page.mouse.move(600, 400);
            await page.page.mouse.down();
            await page.page.mouse.move(500, 330, {steps: 4});
            // Held still before letting go, the map does not glide on.
            await new Promise((resolve) => setTimeout(resolve, 100));
            await page.page.mouse.up();
            await page.page.click(".leaflet-control-zoom-in");
            await page.page.select("#shading", "both");
            // The sector grid, off until asked for in the layers control.
            const gridChecked = () => page.page.$eval(".leaflet-control-layers-overlays input",
                (box) => box.checked);
            assert.equal(await gridChecked(), false);
            await page.page.hover(".leaflet-control-layers");
            await page.page.click(".leaflet-control-layers-overlays input");
            const moved = await page.addressBecomes((hash) => hash !== first &&
                mapPlace(hash)[2] === 2 && hash.includes("shading=both") &&
                hash.includes("grid=1"));
            // Around (110, 95), in sectors 0_0 and 1_0.
            const points = [[CentreX, CentreY], [300, 200], [720, 450]];
            const before = [];
            for (const [x, y] of points) {
                before.push(await page.statusAt(x, y));
            }
            assert.ok(before.every((text) => text.startsWith("sector ")), before.join("; "));

            await page.page.reload({waitUntil: "load"});
            await page.mapDrawn();
            assert.equal(await page.hash(), moved);
            for (let k = 0; k < points.length; k += 1) {
                assert.equal(await page.statusAt(...points[k]), before[k]);
            }
            assert.equal(await page.page.$eval("#shading", (select) => select.value), "both");
            assert.equal(await gridChecked(), true);
            assert.ok(await page.page.$(".velmora-grid canvas"));
            assert.equal(await page.page.$eval(
                ".leaflet-control-layers-base input:checked + span", (span) =>
                    span.textContent.trim()), "Both");
            assert.deepEqual(page.problems, []);
            await page.close();
        });

    test("#camera= opens the 3D view; switching views keeps the place", async () => {
        // Straight down on the middle of sector 2_1 (world 3150, 1890), 3000 units up.
        const page = await opened.open("#camera=3150,1890,3000,0,3.14159265");
        const pressed = (mode) => page.page.$eval(`[data-mode="${mode}"]`,
            (button) => button.getAttribute("aria-pressed"));
        assert.equal(await pressed("3d"), "true");
        assert.equal(await page.page.$eval("#map", (map) => map.hidden), true);
        assert.equal(await page.page.$eval("#view3d canvas", (canvas) =>
            canvas.getBoundingClientRect().width), Width);

        await page.page.click('[data-mode="map"]');
        await page.mapDrawn();
        assert.equal(await pressed("map"), "true");
        const [x, y, zoom] = mapPlace(await page.addressBecomes((hash) => mapPlace(hash)));
        assert.ok(Math.abs(x - 315) < 1 && Math.abs(y - 189) < 1, `the map is at (${x}, ${y})`);
        // About what the camera saw: 2 x 2500 tan(22.5) = 2071 units, 207 samples of 700 px.
        assert.ok(zoom >= 1.5 && zoom <= 2, `zoom ${zoom}`);
        assert.equal(sectorOf(await page.statusAt(CentreX, CentreY)), "2_1");

        // Back to 3D: the same place from beyond the map's lower edge, up the map (x still to
        // the right), at the overview's angle; and the map again where it was.
        await page.page.click('[data-mode="3d"]');
        const camera = (await page.addressBecomes((hash) => hash.startsWith("#camera=")))
            .slice("#camera=".length).split("&")[0].split(",").map(Number);
        assert.ok(Math.abs(camera[0] - 3150) < 10 && camera[1] > 1890,
            `the camera is at (${camera[0]}, ${camera[1]})`);
        assert.equal(camera[3], 0);
        assert.equal(camera[4].toFixed(3), (1.5 * Math.PI - Math.atan2(0.5, 1.1)).toFixed(3));
        await page.page.click('[data-mode="map"]');
        const [x2, y2] = mapPlace(await page.addressBecomes((hash) => mapPlace(hash)));
        // Where the view meets the ground: a hill before the place may take it a little nearer.
        assert.ok(Math.abs(x2 - 315) < 1 && Math.abs(y2 - 189) < 12,
            `the map is at (${x2}, ${y2})`);
        assert.deepEqual(page.problems, []);
        await page.close();
    });
});
