// Worlds unlike the usual square of sectors: one sector alone, and two sectors thousands of
// places apart, whose box is almost all empty.
"use strict";

const assert = require("node:assert/strict");
const {after, before, describe, test} = require("node:test");

const {Browser, Width, Height} = require("./support/browser");
const {makeSite} = require("./support/site");

function hills(x, y) {
    return Math.round(1200 + 300 * Math.sin(x / 7) * Math.cos(y / 5));
}

describe("odd worlds", () => {
    let browser;
    before(async () => {
        browser = await Browser.launch();
    });
    after(async () => {
        await browser.close();
    });

    test("a world of one sector opens on it whole", async () => {
        const site = makeSite({Lone: {sectors: ["3_7"], sample: hills}}, "Lone");
        const page = await browser.open(site.page, site.folder);
        await page.mapDrawn();
        // The sector in the middle of the view, the view's edges beyond it.
        assert.match(await page.statusAt(Width / 2, Height / 2), /^sector 3_7, sample \d+/);
        assert.equal(await page.statusAt(Width / 2, 4), "");
        assert.equal(await page.statusAt(Width / 2, Height - 4), "");
        assert.equal(await page.statusAt(4, Height / 2), "");
        assert.deepEqual(page.problems, []);
        await page.close();
    });

    test("sectors thousands of places apart: each found, nothing drawn between", async () => {
        const site = makeSite({Far: {sectors: ["0_0", "2900_1700"], sample: hills}}, "Far");
        let page = await browser.open(site.page, site.folder);
        await page.mapDrawn();
        // The whole world at once: the view holds a few tiles, not one per place of the box.
        const tiles = await page.page.$$eval(".leaflet-tile", (all) => all.length);
        assert.ok(tiles < 40, `${tiles} tiles`);
        assert.deepEqual(page.problems, []);
        await page.close();

        for (const sector of ["0_0", "2900_1700"]) {
            page = await browser.open(site.page + "#sector=" + sector, site.folder);
            await page.mapDrawn();
            assert.match(await page.statusAt(Width / 2, Height / 2),
                new RegExp(`^sector ${sector}, sample \\d+, height \\d+\\.\\d$`));
            assert.deepEqual(page.problems, []);
            await page.close();
        }
    });
});
