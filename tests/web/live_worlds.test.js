// Worlds the game makes and removes under `velmora serve --all`, as a page left open meets them:
// a world made appears in the toolbar's list and in the list of worlds, the address names the
// world shown once there are several, a world removed leaves both lists, and a page showing a
// world removed says so and keeps what it showed, all without a reload.
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const {after, before, describe, test} = require("node:test");

const {Browser, Width, Height} = require("./support/browser");
const liveMap = require("./support/live_map");
const {startServe} = require("./support/serve");
const {writePrefix} = require("./support/world_prefix");

const CentreX = Width / 2;
const CentreY = Height / 2;
// Long enough for a loaded machine; a page that never shows the change fails here.
const Patience = 30000;

const First = {
    sectors: ["0_0", "1_0", "0_1"],
    sample: (x, y) => 1500 + Math.round(300 * Math.sin(x / 17) * Math.cos(y / 11)),
};

describe("velmora serve --all as worlds come and go", () => {
    let root;
    let prefix;
    let server;
    let browser;
    let page;

    before(async () => {
        root = fs.mkdtempSync(path.join(os.tmpdir(), "velmora-serve-worlds-"));
        prefix = path.join(root, "prefix");
        writePrefix(prefix, {First});
        server = await startServe(prefix, null, path.join(root, "site"), 0);
        browser = await Browser.launch();
        page = await browser.open(server.address + "/", server.address);
        await page.page.waitForFunction(() => Velmora.app && Velmora.liveState() === "open",
            {timeout: Patience});
        await page.mapDrawn();
        await page.page.evaluate(() => { window.velmoraSamePage = true; });
    });

    after(async () => {
        if (browser) {
            await browser.close();
        }
        if (server && server.process.exitCode === null) {
            server.process.kill("SIGKILL");
        }
        fs.rmSync(root, {recursive: true, force: true});
    });

    // The toolbar's list: whether it shows, and its entries' words and states.
    function toolbarList() {
        return page.page.$eval("#world-choice", (select) => ({
            hidden: select.hidden,
            entries: Array.from(select.options).map((option) =>
                option.textContent + (option.disabled ? " (disabled)" : "")),
        }));
    }

    // Waits until the toolbar's list holds `entries` (in order, "All worlds…" last).
    async function toolbarHolds(entries) {
        const want = JSON.stringify(entries.concat(["All worlds\u2026"]));
        await page.page.waitForFunction((want) => JSON.stringify(Array.from(
            document.getElementById("world-choice").options).map((option) =>
            option.textContent + (option.disabled ? " (disabled)" : ""))) === want,
        {timeout: Patience}, want);
    }

    test("a site of one world shows no list and names no world", async () => {
        assert.deepEqual(await toolbarList(), {hidden: true, entries: ["First", "All worlds\u2026"]});
        assert.match(await page.hash(), /^#map=/);
    });

    test("a world the game makes appears in both lists, its picture drawn", async () => {
        liveMap.writeSector(liveMap.terrainOf(prefix, "Second"), "2_3", 2600);
        await toolbarHolds(["First", "Second"]);
        assert.equal((await toolbarList()).hidden, false);
        // The site holds several now: the address names the world shown.
        await page.addressBecomes((hash) => hash.startsWith("#world=First&map="));

        await page.page.select("#world-choice", "");
        await page.page.waitForFunction(() => Array.from(
            document.querySelectorAll(".chooser-canvas")).map((canvas) =>
            canvas.dataset.drawn).join() === "true,true", {timeout: Patience});
        const sizes = await page.page.$$eval(".chooser-world", (links) =>
            links.map((link) => link.textContent));
        assert.deepEqual(sizes, ["First3 sectors", "Second1 sector"]);
        await page.page.keyboard.press("Escape");
        assert.equal(await page.page.evaluate(() => window.velmoraSamePage), true);
        assert.deepEqual(page.problems, []);
    });

    test("a world removed while shown is said to be gone and stays on screen", async () => {
        const second = await page.page.$$eval("#world-choice option", (options) =>
            options.find((option) => option.textContent === "Second").value);
        await page.page.select("#world-choice", second);
        const status = liveMap.statusOf("2_3", 2600);
        await page.page.mouse.move(CentreX, CentreY);
        await liveMap.mapShows(page.page, CentreX, CentreY, 2600, status, Patience);

        fs.rmSync(path.join(liveMap.terrainOf(prefix, "Second"), ".."), {recursive: true});
        await toolbarHolds(["Second (removed) (disabled)", "First"]);
        assert.equal(await page.page.$eval("#notice-text", (text) => text.textContent),
            "The world \u201cSecond\u201d is no longer on this site: the page keeps what it " +
            "showed.");
        // What it showed, still there.
        await liveMap.mapShows(page.page, CentreX, CentreY, 2600, status, Patience);
        assert.equal(await page.page.evaluate(() => Velmora.app.world.world), "Second");

        // The other world, chosen: the one gone leaves the list, which hides again.
        await page.page.select("#world-choice", await page.page.$$eval("#world-choice option",
            (options) => options.find((option) => option.textContent === "First").value));
        await toolbarHolds(["First"]);
        assert.equal((await toolbarList()).hidden, true);
        await page.mapDrawn();
        assert.match(await page.statusAt(CentreX, CentreY), /^sector 0_0, |^$/);
        assert.equal(await page.page.evaluate(() => window.velmoraSamePage), true);
        assert.deepEqual(page.problems, []);
    });
});
