// A site of several worlds as a friend opening a shared link meets it: the list of worlds (each
// named, sized and pictured as the map shades it), links with and without a world, names that
// differ only in case or hold characters an address encodes, a world the site does not hold
// named in words, the toolbar's list changing world in place in the map and in the 3D view, and
// a site of one world that shows and writes no world at all; a world of no sector yet listed but
// not opened.
"use strict";

const assert = require("node:assert/strict");
const {after, before, describe, test} = require("node:test");

const {Browser, Unsupported, Width, Height} = require("./support/browser");
const {makeSite, siteIndex} = require("./support/site");
const {Rolling} = require("./support/worlds");

const CentreX = Width / 2;
const CentreY = Height / 2;
const Odd = "Odd \u00e9 #1 & 50% + x";

function hills(x, y) {
    return Math.round(1200 + 300 * Math.sin(x / 7) * Math.cos(y / 5));
}

// One sector, 3_7, whose samples climb along both axes: its picture is its samples (127 of
// them a side fit the picture's 128), each pixel telling.
function ramp(x, y) {
    return 1000 + 4 * ((x + 2 * y) % 256);
}

const Worlds = {
    "Alpha World": {sectors: ["0_0", "1_0", "0_1"], sample: hills},
    "alpha world": {sectors: ["3_7"], sample: ramp},
    [Odd]: {sectors: ["0_0", "1_1", "2_2"], sample: hills},
    Rolling,
    Empty: {sectors: [], sample: hills},
};

// The map's grey for a sample (docs/WEB.md).
function grey(sample, range) {
    return sample < range.low ? 255 :
        Math.min(255, Math.floor((sample - range.low) * 256 / range.width));
}

// A link's hash to world `name`, as a URL's query encodes it.
function worldHash(name, rest = "") {
    return "#" + new URLSearchParams([["world", name]]).toString() + rest;
}

describe("a site of several worlds", () => {
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
        return page.page.$$eval(".chooser-world", (links) => links.map((link) => ({
            name: link.querySelector(".chooser-name").textContent,
            size: link.querySelector(".chooser-size").textContent,
            href: link.getAttribute("href"),
            drawn: link.querySelector("canvas") ? link.querySelector("canvas").dataset.drawn :
                "none",
        })));
    }

    // The world shown once its map is drawn: its name, the toolbar list's choice, the hash.
    async function shown(page) {
        await page.page.waitForFunction(() => Velmora.app &&
            document.getElementById("chooser").hidden && Velmora.Loading.pending().length === 0);
        await page.mapDrawn();
        return page.page.evaluate(() => ({
            world: Velmora.app.world.world,
            title: document.title,
            choice: document.getElementById("world-choice").selectedOptions[0].textContent,
            listHidden: document.getElementById("world-choice").hidden,
        }));
    }

    test("opens on the list of its worlds: each named, sized and pictured", async () => {
        assert.deepEqual(index.worlds.map((world) => world.name).sort(),
            Object.keys(Worlds).sort());
        const page = await browser.open(site.page, site.folder);
        const items = await listed(page);
        assert.deepEqual(items, index.worlds.map((world) => ({
            name: world.name,
            size: world.sectors === 1 ? "1 sector" : world.sectors + " sectors",
            // A world of no sector has no picture and nothing to open.
            href: world.picture === null ? null : worldHash(world.name),
            drawn: world.picture === null ? "none" : "true",
        })));
        assert.deepEqual(items.map((item) => item.size).sort(),
            ["0 sectors", "1 sector", "3 sectors", "3 sectors", "9 sectors"]);
        // Nothing chosen yet: no world in the address, the page's controls out of the way, the
        // list's heading read first.
        assert.equal(await page.hash(), "");
        assert.equal(await page.page.$eval(".toolbar", (bar) => getComputedStyle(bar).visibility),
            "hidden");
        assert.equal(await page.page.evaluate(() => document.activeElement.id), "chooser-title");

        // "alpha world"'s picture is its one sector's samples, shaded by height with its range.
        const entry = index.worlds.find((world) => world.name === "alpha world");
        const picture = await page.page.evaluate((name) => {
            const link = Array.from(document.querySelectorAll(".chooser-world"))
                .find((candidate) => candidate.textContent.startsWith(name));
            const canvas = link.querySelector("canvas");
            const data = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height);
            return {width: canvas.width, height: canvas.height, rgba: Array.from(data.data)};
        }, "alpha world");
        assert.deepEqual([picture.width, picture.height], [127, 127]);
        let wrong = 0;
        for (let j = 0; j < 127; j += 1) {
            for (let i = 0; i < 127; i += 1) {
                const want = grey(ramp(126 * 3 + i, 126 * 7 + j), entry.range);
                const at = 4 * (j * 127 + i);
                wrong += picture.rgba.slice(at, at + 4).join() === [want, want, want, 255].join() ?
                    0 : 1;
            }
        }
        assert.equal(wrong, 0);
        // Rolling's hole at 1_1 is clear in its picture, its ground around it opaque.
        const alphas = await page.page.evaluate(() => {
            const link = Array.from(document.querySelectorAll(".chooser-world"))
                .find((candidate) => candidate.textContent.startsWith("Rolling"));
            const canvas = link.querySelector("canvas");
            const scale = Math.pow(2, Math.ceil(Math.log2(757 / 128)));
            const at = (sample) => canvas.getContext("2d")
                .getImageData(Math.floor(sample / scale), Math.floor(sample / scale), 1, 1).data[3];
            return [at(189), at(63), at(315)];
        });
        assert.deepEqual(alphas, [0, 255, 255]);

        // A world chosen opens whole, the address naming it first.
        await page.page.click(`.chooser-world[href="${worldHash("Rolling")}"]`);
        assert.deepEqual(await shown(page), {world: "Rolling", title: "Rolling - Velmora",
            choice: "Rolling", listHidden: false});
        assert.match(await page.addressBecomes((hash) => /&map=/.test(hash)),
            /^#world=Rolling&map=[-\d.]+,[-\d.]+,[-\d.]+&shading=height$/);
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
            assert.equal((await shown(page)).world, world, hash);
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
            assert.equal((await shown(page)).world, "alpha world", hash);
            assert.deepEqual(page.problems, [], hash);
            await page.close();
        }
    });

    test("the toolbar's list changes world in place and brings back the list", async () => {
        const page = await browser.open(site.page + worldHash("Rolling"), site.folder);
        await shown(page);
        await page.page.evaluate(() => { window.velmoraSamePage = true; });
        const folderOf = (name) => index.worlds.find((world) => world.name === name).folder;
        // By the keys: the list takes focus and a world is chosen from it.
        await page.page.focus("#world-choice");
        await page.page.select("#world-choice", folderOf("alpha world"));
        assert.equal((await shown(page)).world, "alpha world");
        // The new world whole: its one sector in the middle of the view.
        assert.match(await page.statusAt(CentreX, CentreY), /^sector 3_7, /);
        // Written within a moment, the new world's name first.
        await page.addressBecomes((hash) => hash.startsWith("#world=alpha+world&map="));
        // "All worlds…" brings the list back over the world; Escape returns to it.
        await page.page.select("#world-choice", "");
        const items = await listed(page);
        assert.equal(items.length, index.worlds.length);
        assert.equal(await page.page.$eval(".chooser-world[aria-current=page] .chooser-name",
            (name) => name.textContent), "alpha world");
        await page.page.keyboard.press("Escape");
        assert.equal(await page.page.$eval("#chooser", (chooser) => chooser.hidden), true);
        assert.equal(await page.page.evaluate(() => document.activeElement.id), "world-choice");
        assert.equal(await page.page.evaluate(() => [window.velmoraSamePage,
            document.querySelectorAll(".leaflet-container").length]).then(JSON.stringify),
        "[true,1]");
        assert.deepEqual(page.problems, []);
        await page.close();
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
            const names = drawn.map((world) => world.name);
            for (let k = 0; k < 20; k += 1) {
                const name = names[k % names.length];
                const folder = drawn[k % names.length].folder;
                if (name === "Rolling" && k === 0) {
                    continue;
                }
                await page.page.select("#world-choice", folder);
                await settled(name);
            }
            const last = names[19 % names.length];
            const state = await page.page.evaluate(() => {
                const view = Velmora.app.view3d;
                const camera = view.camera();
                const home = Velmora.view3d.overviewCamera(Velmora.app.world.extent);
                const picture = view.picture();
                let ground = 0;
                for (let at = 0; at < picture.rgba.length; at += 4) {
                    // Anything but the sky's blue.
                    ground += picture.rgba[at] !== 0 || picture.rgba[at + 1] !== 0 ? 1 : 0;
                }
                return {
                    mode: Velmora.app.mode,
                    home: ["x", "y", "z", "yaw", "pitch"].every((key) =>
                        Math.abs(camera[key] - home[key]) < 1e-3),
                    ground: ground > picture.width * picture.height / 50,
                    views: document.querySelectorAll("canvas.velmora-view3d").length,
                    maps: document.querySelectorAll(".leaflet-container").length,
                };
            });
            assert.deepEqual(state, {mode: "3d", home: true, ground: true, views: 1, maps: 1});
            await page.addressBecomes((hash) => hash.startsWith(worldHash(last, "&camera=")));
            // Back to the map: the last world's, under the camera.
            await page.page.click("[data-mode='map']");
            await page.mapDrawn();
            assert.equal(await page.page.evaluate(() => Velmora.app.world.world), last);
            assert.deepEqual(page.problems, []);
            await page.close();
        });
});

describe("a site of one world", () => {
    test("shows no list of worlds and writes no world, though a link may name it", async () => {
        const site = makeSite({Rolling}, "Rolling");
        const browser = await Browser.launch();
        try {
            for (const hash of ["", "#world=Rolling&sector=1_0", "#sector=1_0"]) {
                const page = await browser.open(site.page + hash, site.folder);
                await page.mapDrawn();
                const state = await page.page.evaluate(() => ({
                    chooser: document.getElementById("chooser").hidden,
                    list: document.getElementById("world-choice").hidden,
                    world: Velmora.app.world.world,
                }));
                assert.deepEqual(state, {chooser: true, list: true, world: "Rolling"}, hash);
                assert.match(await page.addressBecomes((now) => now !== "" && now !== hash),
                    /^#map=[-\d.]+,[-\d.]+,[-\d.]+&shading=height$/, hash);
                assert.deepEqual(page.problems, [], hash);
                await page.close();
            }
        } finally {
            await browser.close();
        }
    });
});
