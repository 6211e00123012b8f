// The site opened from disk as a user double-clicks index.html: nothing fails or comes from
// outside, the view fills the window under a few small controls, and the map shows the ground
// as `velmora map` draws it, holes empty.
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const path = require("node:path");
const {describe, test} = require("node:test");

const {Width, Height} = require("./support/browser");
const {readPng} = require("./support/png");
const {openedSite} = require("./support/site");
const {Rolling} = require("./support/worlds");

// The page's background (velmora.css), which holes show.
const Background = [0x5d, 0x6b, 0x78];

// The screen's pixels (60 and more from the window's edges, clear of the controls) that differ
// from velmora map's picture of samples from (originX, originY): grey where it covers, else
// the background.
function differences(shot, map, originX, originY) {
    const wrong = [];
    for (let y = 60; y < Height - 60; y += 1) {
        for (let x = 60; x < Width - 60; x += 1) {
            const sx = x + originX;
            const sy = y + originY;
            const inside = sx >= 0 && sy >= 0 && sx < map.width && sy < map.height;
            const at = 4 * (sy * map.width + sx);
            const alpha = inside ? map.rgba[at + 3] : 0;
            const want = alpha === 255 ? [map.rgba[at], map.rgba[at], map.rgba[at]] : Background;
            const seen = 4 * (y * shot.width + x);
            if (alpha !== 0 && alpha !== 255) {
                throw new Error(`velmora map's pixel (${sx}, ${sy}) is half covered`);
            }
            if (shot.rgba[seen] !== want[0] || shot.rgba[seen + 1] !== want[1] ||
                shot.rgba[seen + 2] !== want[2]) {
                wrong.push(`sample (${sx}, ${sy}): ${shot.at(x, y)} for ${want}`);
            }
        }
    }
    return wrong;
}

describe("the site from disk", () => {
    const opened = openedSite({Test: Rolling}, "Test");

    test("opens on the whole world with nothing failing and nothing from outside", async () => {
        const page = await opened.open();
        await page.mapDrawn();
        // Every sector's ground is in view: the middle of the first and of the farthest.
        const first = await page.page.evaluate(() => document.title);
        assert.equal(first, "Test - Velmora");
        assert.match(await page.hash(), /^#map=[-\d.]+,[-\d.]+,[-\d.]+&shading=height$/);
        const layout = await page.page.evaluate(() => {
            const box = (element) => element.getBoundingClientRect().toJSON();
            const controls = [...document.querySelectorAll(
                ".leaflet-control, .toolbar, [role=status]")].map(box);
            return {
                map: box(document.getElementById("map")),
                covered: controls.reduce((sum, r) => sum + r.width * r.height, 0),
            };
        });
        assert.deepEqual([layout.map.width, layout.map.height], [Width, Height]);
        assert.ok(layout.covered <= Width * Height / 20, `controls cover ${layout.covered} px`);
        assert.deepEqual(page.problems, []);
        assert.ok(page.requests.some((url) => url.endsWith("/lib/leaflet/leaflet.js")));
        await page.close();
    });

    test("the map at one pixel a sample is velmora map's picture, in every shading", async () => {
        for (const shading of ["height", "hillshade", "both"]) {
            const picture = path.join(opened.site.folder, "..", shading + ".png");
            opened.site.velmora(["map", "Test", "--output", picture, "--shading", shading]);
            const map = readPng(fs.readFileSync(picture));

            // The view's centre at sample (378, 350): the picture's (0, 0) is sample (0, 0).
            const page = await opened.browser.open(
                opened.site.page + "#map=378,350,0&shading=" + shading, opened.site.folder);
            await page.mapDrawn();
            await page.page.mouse.move(0, 0);
            const shot = readPng(await page.page.screenshot({type: "png"}));
            assert.deepEqual(page.problems, []);
            await page.close();

            // Leaflet rounds the map's origin: try the nearest alignments, and the best must
            // match everywhere away from the controls.
            let best = null;
            for (let shift = -1; shift <= 1; shift += 1) {
                const wrong = differences(shot, map, 378 - Width / 2 + shift,
                    350 - Height / 2 + shift);
                if (best === null || wrong.length < best.length) {
                    best = wrong;
                }
            }
            assert.deepEqual(best.slice(0, 5), [], shading + ": " + best.length + " pixels differ");
        }
    });
});
