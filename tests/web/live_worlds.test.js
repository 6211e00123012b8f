// Worlds the game makes and removes under `velmora serve --all`, a page left open: a world made
// joins the lists of worlds and the address names the world shown; one removed while shown is
// said to be gone and stays on screen, then leaves the lists; never a reload.
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

const Patience = 30000;
const First = {sectors: ["0_0", "1_0", "0_1"], sample: (x, y) => 1500 + ((x * y) % 300)};

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
        await page.page.evaluate(() => { window.velmoraSamePage = true; });
    });

    after(async () => {
        await browser?.close();
        server?.process.kill("SIGKILL");
        fs.rmSync(root, {recursive: true, force: true});
    });

    // Waits until the toolbar's list shows (or hides) with `entries` before "All worlds…".
    async function toolbarHolds(hidden, entries) {
        const want = JSON.stringify([hidden, ...entries, "All worlds\u2026"]);
        await page.page.waitForFunction((want) => {
            const list = document.getElementById("world-choice");
            return JSON.stringify([list.hidden, ...Array.from(list.options).map((option) =>
                option.textContent + (option.disabled ? " (disabled)" : ""))]) === want;
        }, {timeout: Patience}, want);
    }

    const choose = async (name) => page.page.select("#world-choice", await page.page.$$eval(
        "#world-choice option", (options, name) => options.find((option) =>
            option.textContent === name).value, name));

    test("a world the game makes joins both lists, its picture drawn", async () => {
        await toolbarHolds(true, ["First"]);
        assert.match(await page.hash(), /^#map=/);
        liveMap.writeSector(liveMap.terrainOf(prefix, "Second"), "2_3", 2600);
        await toolbarHolds(false, ["First", "Second"]);
        // The site holds several now: the address names the world shown.
        await page.addressBecomes((hash) => hash.startsWith("#world=First&map="));
        await page.page.select("#world-choice", "");
        await page.page.waitForFunction(() => Array.from(document.querySelectorAll(
            ".chooser-canvas"), (canvas) => canvas.dataset.drawn).join() === "true,true",
        {timeout: Patience});
        assert.deepEqual(await page.page.$$eval(".chooser-world", (links) =>
            links.map((link) => link.textContent)), ["First3 sectors", "Second1 sector"]);
        await page.page.keyboard.press("Escape");
        assert.deepEqual(page.problems, []);
    });

    test("a world removed while shown is said to be gone and stays on screen", async () => {
        await choose("Second");
        const status = liveMap.statusOf("2_3", 2600);
        await page.page.mouse.move(Width / 2, Height / 2);
        await liveMap.mapShows(page.page, Width / 2, Height / 2, 2600, status, Patience);

        // Its one sector removed, then the world itself.
        const notice = () => page.page.$eval("#notice-text", (text) => text.textContent);
        const kept = (words) => `The world \u201cSecond\u201d ${words}: the page keeps what ` +
            "it showed.";
        fs.rmSync(path.join(liveMap.terrainOf(prefix, "Second"), "2_3"), {recursive: true});
        await toolbarHolds(false, ["First", "Second (disabled)"]);
        assert.equal(await notice(), kept("holds no sector any more"));
        fs.rmSync(path.dirname(liveMap.terrainOf(prefix, "Second")), {recursive: true});
        await toolbarHolds(false, ["Second (removed) (disabled)", "First"]);
        assert.equal(await notice(), kept("is no longer on this site"));
        await liveMap.mapShows(page.page, Width / 2, Height / 2, 2600, status, Patience);

        // Another world chosen, the one gone leaves the list, which hides again.
        await choose("First");
        await toolbarHolds(true, ["First"]);
        assert.equal(await page.page.evaluate(() => [Velmora.app.world.world,
            window.velmoraSamePage].join()), "First,true");
        assert.deepEqual(page.problems, []);
    });
});
