// A site of several worlds as a friend opening a shared link meets it: the list of worlds, links
// with and without a world (names differing in case, or holding what an address encodes), worlds
// it lacks named in words, the toolbar's list in the map and the 3D view; and a site of one world
// that shows and writes no world.
"use strict";

const assert = require("node:assert/strict");
const {after, before, describe, test} = require("node:test");

const {Browser, Unsupported, Width, Height} = require("./support/browser");
const {makeSite, siteIndex} = require("./support/site");
const {Rolling} = require("./support/worlds");

const CentreX = Width / 2;
const CentreY = Height / 2;
const Odd = "Odd \u00e9 #1 & 50% + x";

const hills = (x, y) => Math.round(1200 + 300 * Math.sin(x / 7) * Math.cos(y / 5));
// "alpha world"'s one sector, 3_7: its picture is its samples (127 a side fit in 128).
const ramp = (x, y) => 1000 + 4 * ((x + 2 * y) % 256);

const Worlds = {
    "Alpha World": {sectors: ["0_0", "1_0", "0_1"], sample: hills},
    "alpha world": {sectors: ["3_7"], sample: ramp},
    [Odd]: {sectors: ["0_0", "1_1", "2_2"], sample: hills},
    Rolling,
    Empty: {sectors: [], sample: hills},
};

// The map's grey for a sample (docs/WEB.md).
const grey = (sample, range) => (sample < range.low ? 255 :
    Math.min(255, Math.floor((sample - range.low) * 256 / range.width)));
// A link's hash to world `name`, as a URL's query encodes it.
const worldHash = (name, rest = "") => "#" + new URLSearchParams([["world", name]]) + rest;

describe("sites of several worlds, and of one", () => {
    let site;
    let index;
    let browser;
    before(async () => {
        site = makeSite(Worlds, Object.keys(Worlds));
        index = siteIndex(site.folder);
        browser = await Browser.launch();
    });
    after(async () => {
        await browser.close();
    });

    // The list of worlds once it shows and every picture in it is drawn (or has failed).
    async function listed(page) {
        await page.page.waitForFunction(() => !document.getElementById("chooser").hidden &&
            Array.from(document.querySelectorAll(".chooser-canvas")).every((canvas) =>
                canvas.dataset.drawn !== undefined));
        return page.page.$$eval(".chooser-world", (links) => links.map((link) => [
            link.querySelector(".chooser-name").textContent,
            link.querySelector(".chooser-size").textContent, link.getAttribute("href"),
            link.querySelector("canvas")?.dataset.drawn ?? "none"]));
    }

    // The world shown once its map is drawn: its name, the title, the toolbar list's choice.
    async function shown(page) {
        await page.page.waitForFunction(() => Velmora.app &&
            document.getElementById("chooser").hidden && Velmora.Loading.pending().length === 0);
        await page.mapDrawn();
        return page.page.evaluate(() => [Velmora.app.world.world, document.title,
            document.querySelector("#world-choice:not([hidden]) option:checked")?.textContent]);
    }

    test("opens on its list of worlds, each named, sized and pictured", async () => {
        assert.deepEqual(index.worlds.map((world) => world.name).sort(),
            Object.keys(Worlds).sort());
        const page = await browser.open(site.page, site.folder);
        const items = await listed(page);
        // A world of no sector has no picture and nothing to open.
        assert.deepEqual(items, index.worlds.map((world) => [world.name,
            world.sectors === 1 ? "1 sector" : world.sectors + " sectors",
            world.picture === null ? null : worldHash(world.name),
            world.picture === null ? "none" : "true"]));
        // Nothing chosen yet: no world in the address, the page's controls out of the way, the
        // list's heading read first.
        assert.equal(await page.hash(), "");
        assert.equal(await page.page.$eval(".toolbar", (bar) => getComputedStyle(bar).visibility),
            "hidden");
        assert.equal(await page.page.evaluate(() => document.activeElement.id), "chooser-title");

        // "alpha world"'s picture is its one sector's samples, shaded by height with its range;
        // Rolling's hole at 1_1 (pixel 23 of its level-3 picture) is clear, ground opaque.
        const pictures = await page.page.$$eval(".chooser-canvas", (canvases) =>
            canvases.map((canvas) => ({width: canvas.width, rgba: Array.from(canvas.getContext("2d")
                .getImageData(0, 0, canvas.width, canvas.height).data)})));
        const pictureOf = (name) => pictures[index.worlds.filter((world) => world.picture !== null)
            .findIndex((world) => world.name === name)];
        const range = index.worlds.find((world) => world.name === "alpha world").range;
        const wanted = [];
        for (let at = 0; at < 127 * 127; at += 1) {
            const value = grey(ramp(126 * 3 + at % 127, 126 * 7 + Math.floor(at / 127)), range);
            wanted.push(value, value, value, 255);
        }
        assert.deepEqual(pictureOf("alpha world"), {width: 127, rgba: wanted});
        const rolling = pictureOf("Rolling");
        const alpha = (x, y) => rolling.rgba[4 * (y * rolling.width + x) + 3];
        assert.deepEqual([alpha(23, 23), alpha(7, 7), alpha(39, 39)], [0, 255, 255]);

        // A world chosen opens whole, the address naming it first.
        await page.page.click(`.chooser-world[href="${worldHash("Rolling")}"]`);
        assert.deepEqual(await shown(page), ["Rolling", "Rolling - Velmora", "Rolling"]);
        assert.equal(await page.page.evaluate(() => document.activeElement.id), "map");
        assert.match(await page.addressBecomes((hash) => /&map=/.test(hash)),
            /^#world=Rolling&map=[-\d.]+,[-\d.]+,[-\d.]+&shading=height$/);

        // The toolbar's list, by the keys, changes world in place: the new one whole.
        await page.page.focus("#world-choice");
        await page.page.select("#world-choice",
            index.worlds.find((world) => world.name === "alpha world").folder);
        assert.equal((await shown(page))[0], "alpha world");
        assert.match(await page.statusAt(CentreX, CentreY), /^sector 3_7, /);
        await page.addressBecomes((hash) => hash.startsWith("#world=alpha+world&map="));
        // "All worlds…" brings the list back over the world; Escape returns to it.
        await page.page.select("#world-choice", "");
        assert.equal((await listed(page)).length, index.worlds.length);
        assert.equal(await page.page.$eval(".chooser-world[aria-current=page] .chooser-name",
            (name) => name.textContent), "alpha world");
        await page.page.keyboard.press("Escape");
        assert.equal(await page.page.$eval("#chooser", (chooser) => chooser.hidden), true);
        assert.equal(await page.page.evaluate(() => document.activeElement.id), "world-choice");
        assert.deepEqual(page.problems, []);
        await page.close();
    });

    test("a link opens the world it names, exactly; one without a world the first", async () => {
        const first = index.worlds.find((world) => world.sectors > 0).name;
        const cases = [
            [worldHash("alpha world", "&sector=3_7"), "alpha world", /^sector 3_7, /],
            ["#world=Alpha+World&sector=0_1", "Alpha World", /^sector 0_1, /],
            ["#world=Alpha%20World&sector=1_0", "Alpha World", /^sector 1_0, /],
            [worldHash(Odd, "&sector=1_1"), Odd, /^sector 1_1, /],
            ["#sector=0_0", first, /^sector 0_0, /],
        ];
        for (const [hash, world, status] of cases) {
            const page = await browser.open(site.page + hash, site.folder);
            assert.equal((await shown(page))[0], world, hash);
            assert.match(await page.statusAt(CentreX, CentreY), status, hash);
            // The address names the world first, as a link to it spells it.
            const written = await page.addressBecomes((now) => /&map=/.test(now));
            assert.ok(written.startsWith(worldHash(world, "&map=")), `${hash}: ${written}`);
            assert.deepEqual(page.problems, [], hash);
            await page.close();
        }
    });

    test("worlds the site lacks, or without sectors, are named in words", async () => {
        const lacking = (named) => `This site holds no world named ${named}: choose one of ` +
            "its worlds.";
        const cases = [
            ["#world=ALPHA+WORLD", lacking("\u201cALPHA WORLD\u201d")],
            ["#world=Nowhere%20%C3%A9%20..%2F..&sector=0_0",
                lacking("\u201cNowhere \u00e9 ../..\u201d")],
            ["#world=", lacking("\u201c\u201d")],
            ["#world=Empty&sector=0_0", "The world \u201cEmpty\u201d holds no sector yet: " +
                "there is nothing of it to show."],
        ];
        for (const [hash, words] of cases) {
            const page = await browser.open(site.page + hash, site.folder);
            assert.equal((await listed(page)).length, index.worlds.length, hash);
            const message = await page.page.$eval(".chooser-message", (element) =>
                element.hidden ? "" : element.textContent);
            assert.equal(message, words, hash);
            await page.page.click(`.chooser-world[href="${worldHash("alpha world")}"]`);
            assert.equal((await shown(page))[0], "alpha world", hash);
            assert.deepEqual(page.problems, [], hash);
            await page.close();
        }
    });

    test("the toolbar's list keeps the 3D view, twenty times over", {skip: Unsupported.webgl2},
        async () => {
            const page = await browser.open(site.page + worldHash("Rolling"), site.folder);
            await shown(page);
            await page.page.click("[data-mode='3d']");
            const settled = (name) => page.page.waitForFunction((world) => Velmora.app.view3d &&
                Velmora.app.world.world === world && Velmora.app.view3d.settled(),
            {polling: 100, timeout: 60000}, name);
            await settled("Rolling");
            const drawn = index.worlds.filter((world) => world.sectors > 0);
            for (let k = 1; k <= 20; k += 1) {
                await page.page.select("#world-choice", drawn[k % drawn.length].folder);
                await settled(drawn[k % drawn.length].name);
            }
            const last = drawn[20 % drawn.length].name;
            // The last world whole, from its overview, drawn (ground: anything but the sky's
            // blue) by the one view and its one context there is.
            const state = await page.page.evaluate(() => {
                const view = Velmora.app.view3d;
                const home = Velmora.view3d.overviewCamera(Velmora.app.world.extent);
                const {rgba} = view.picture();
                const ground = rgba.filter((value, at) => at % 4 < 2 && value !== 0).length;
                return [Velmora.app.mode, ["x", "y", "z", "yaw", "pitch"].every((key) =>
                    Math.abs(view.camera()[key] - home[key]) < 1e-3), ground > rgba.length / 200,
                document.querySelectorAll("canvas.velmora-view3d, .leaflet-container").length];
            });
            assert.deepEqual(state, ["3d", true, true, 2]);
            await page.addressBecomes((hash) => hash.startsWith(worldHash(last, "&camera=")));
            // Back to the map: the last world's, under the camera.
            await page.page.click("[data-mode='map']");
            await page.mapDrawn();
            assert.equal(await page.page.evaluate(() => Velmora.app.world.world), last);
            assert.deepEqual(page.problems, []);
            await page.close();
        });

    test("a site of one world shows no list and writes no world, though a link may name it",
        async () => {
            const one = makeSite({Rolling}, "Rolling");
            for (const hash of ["", "#world=Rolling&sector=1_0", "#sector=1_0"]) {
                const page = await browser.open(one.page + hash, one.folder);
                await page.mapDrawn();
                assert.deepEqual(await page.page.evaluate(() => [Velmora.app.world.world,
                    document.querySelectorAll("#chooser:not([hidden]), #world-choice:not([hidden])")
                        .length]), ["Rolling", 0], hash);
                assert.match(await page.addressBecomes((now) => now !== "" && now !== hash),
                    /^#map=[-\d.]+,[-\d.]+,[-\d.]+&shading=height$/, hash);
                assert.deepEqual(page.problems, [], hash);
                await page.close();
            }
        });
});
