// The status line of the map, opened from disk: for the point under the pointer it reads what
// velmora-world's status bar reads, "sector A_B, sample S, height H", and nothing off the world;
// beside it, the point in world units, or why no ground is there.
"use strict";

const assert = require("node:assert/strict");
const {describe, test} = require("node:test");

const {Unsupported, Width, Height} = require("./support/browser");
const {openedSite} = require("./support/site");
const {Rolling} = require("./support/worlds");

// At zoom 3 a sample is 8 pixels, and the view's centre pixel is the centre of the sample the
// address names: the pointer at (Centre + 8 dx + fx, ...) is at sample (x + dx + fx / 8, ...).
const CentreX = Width / 2;
const CentreY = Height / 2;
const Scale = 8;

// The status of a point on sample s: its height s / 4 with one decimal, quarters rounded to even.
function onSample(sector, s) {
    const tenths = [".0", ".2", ".5", ".8"][s % 4];
    return `sector ${sector}, sample ${s}, height ${Math.floor(s / 4)}${tenths}`;
}

describe("the map's status line", () => {
    const opened = openedSite({Test: Rolling}, "Test");

    // Opens the map centred on sample (x, y) at zoom 3 and reads the status with the pointer
    // at each offset [dx, dy] in pixels from the centre.
    async function readAround(x, y, offsets, zoom = 3) {
        const page = await opened.open(`#map=${x},${y},${zoom}`);
        await page.mapDrawn();
        const texts = [];
        for (const [dx, dy] of offsets) {
            texts.push(await page.statusAt(CentreX + dx, CentreY + dy));
        }
        assert.deepEqual(page.problems, []);
        await page.close();
        return texts;
    }

    test("over a sample: its sector, value and height, rounded as printf rounds", async () => {
        // 500.25 and 500.75 are ties at one decimal: printf takes the even digit.
        assert.deepEqual(await readAround(50, 50, [[0, 0], [Scale, 0]]), [
            "sector 0_0, sample 2001, height 500.2",
            "sector 0_0, sample 2003, height 500.8",
        ]);
        assert.equal(onSample("0_0", 2001), "sector 0_0, sample 2001, height 500.2");
    });

    test("inside a cell: cut along its (i, j)-(i + 1, j + 1) diagonal", async () => {
        // (10.75, 20.5) lies in the triangle (10, 20), (11, 20), (11, 21); (10.25, 20.75) in
        // (10, 20), (10, 21), (11, 21). A bilinear surface would give 437.5 and 412.5; the
        // other diagonal 425.0 and 400.0.
        assert.deepEqual(await readAround(10, 20, [[6, 4], [2, 6]]), [
            "sector 0_0, sample 2000, height 450.0",
            "sector 0_0, sample 1600, height 425.0",
        ]);
    });

    test("on the samples two sectors share, the sector the point's world units fall in",
        async () => {
            // World x 1260 is sector 1's first unit; world y 1260 lies on sector 1_0's last
            // row, next to the hole at 1_1, which has no samples of its own.
            const texts = await readAround(126, 126, [[0, -Scale], [Scale, 0], [Scale, 4]]);
            assert.deepEqual(texts, [
                onSample("1_0", Rolling.sample(126, 125)),
                onSample("1_1", Rolling.sample(127, 126)),
                "",
            ]);
        });

    test("over a hole and off the world: nothing", async () => {
        // The middle of the hole 1_1, and beyond the world's first row and column.
        assert.deepEqual(await readAround(189, 189, [[0, 0], [100, -100]]), ["", ""]);
        assert.deepEqual(await readAround(0, 0, [[-Scale, 0], [0, -Scale], [-4, 100]]),
            ["", "", ""]);
    });

    test("beside the line: where the pointer is, or why there is no ground", async () => {
        const page = await opened.open("#map=189,189,0");
        await page.mapDrawn();
        const places = [];
        // Sample (340.5, 290.5) of 2_2, the middle of the hole 1_1, the world's box's empty
        // place 4_3, and beyond its first column. (Whole pixels: Firefox's driver moves the
        // pointer by nothing finer.)
        for (const [x, y] of [[CentreX + 151, CentreY + 101], [CentreX, CentreY],
            [CentreX + 400, CentreY + 250], [CentreX - 200, CentreY]]) {
            const ground = await page.statusAt(x, y);
            places.push([ground, await page.page.$eval("#place", (place) => place.textContent)]);
        }
        assert.deepEqual(places.map((pair) => pair[1]), ["x 3405.0, y 2905.0",
            "no sector at 1_1", "no sector at 4_3", "outside the world"]);
        assert.match(places[0][0], /^sector 2_2, /);
        assert.deepEqual(places.slice(1).map((pair) => pair[0]), ["", "", ""]);
        assert.deepEqual(page.problems, []);
        await page.close();
    });

    test("beside the line, off the map: nothing", {skip: Unsupported.pointerOutsidePage},
        async () => {
            const page = await opened.open("#map=189,189,0");
            await page.mapDrawn();
            const place = () => page.page.$eval("#place", (element) => element.textContent);
            for (const [x, y] of [[CentreX, Height + 10], [-10, CentreY]]) {
                await page.statusAt(CentreX + 151, CentreY + 101);
                assert.equal(await place(), "x 3405.0, y 2905.0");
                await page.page.mouse.move(x, y);
                assert.equal(await place(), "", `${x}, ${y}`);
            }
            assert.deepEqual(page.problems, []);
            await page.close();
        });

    test("zoomed out, it still reads the full-resolution samples", async () => {
        // At zoom -1 the map shows pixels of four samples, which average 3002 in sector 5_5;
        // the status reads the samples themselves, 3000 or 3004.
        const texts = await readAround(693, 693, [[0, 0], [7, 3], [-20, 11], [31, -17]], -1);
        for (const text of texts) {
            assert.match(text, /^sector 5_5, sample 300[04], height 75[01]\.\d$/);
        }
    });
});
