// What a friend on a shared link uses, opened from disk: the shading's legend against the
// world's range, the world's name and a scale, "go to sector", "copy link", "save picture" (the
// view's own pixels), and the page by the keys alone: every control reached by Tab and shown
// focused (the layers list opening as its button takes focus), names and roles in the
// accessibility tree, the ground at the view's centre read out after a move by the keys, and the
// pointer's ground read out once it rests, not per move.
"use strict";

const assert = require("node:assert/strict");
const {describe, test} = require("node:test");

const {Unsupported, Width, Height} = require("./support/browser");
const {openedSite} = require("./support/site");
const {Rolling} = require("./support/worlds");
const {decodePng, difference} = require("./support/view3d_pictures");

// printf's "%.1f" of a sample's height for the legend's ends (quarters: ties to even).
function heightText(sample) {
    const tenths = [".0", ".2", ".5", ".8"][((sample % 4) + 4) % 4];
    return `${Math.floor(sample / 4)}${tenths}`;
}

describe("find and share", () => {
    const opened = openedSite({Test: Rolling}, "Test");

    test("the legend follows the shading and gives the range's heights", async () => {
        const page = await opened.open("#map=189,189,0");
        await page.mapDrawn();
        const range = await page.page.evaluate(() => Velmora.app.world.range);
        const low = heightText(range.low);
        const middle = await page.page.evaluate((r) => Velmora.Ground.fixed1(
            (r.low + r.width / 2) * 0.25), range);
        const high = await page.page.evaluate((r) => Velmora.Ground.fixed1(
            (r.low + r.width) * 0.25), range);
        const quarters = await page.page.evaluate((r) => [0.25, 0.75].map((f) =>
            Velmora.Ground.fixed1((r.low + f * r.width) * 0.25)), range);
        const ticks = [quarters[0], middle, quarters[1]];
        const legend = () => page.page.$eval("#legend", (box) => ({
            ends: Array.from(box.querySelectorAll(".legend-end"), (end) => end.textContent),
            ticks: Array.from(box.querySelectorAll(".legend-tick"), (tick) => tick.title),
            below: box.querySelector(".legend-below") ?
                box.querySelector(".legend-below").textContent : null,
            light: box.querySelector(".legend-light") ?
                box.querySelector(".legend-light").textContent : null,
        }));
        const light = "\u2198light from the map's top left, 45\u00b0 up";
        for (const [shading, wanted] of [
            ["height", {ends: [low, high], ticks, below: `below ${low}: white`, light: null}],
            ["hillshade", {ends: [], ticks: [], below: null, light}],
            ["both", {ends: [low, high], ticks, below: `below ${low}: white`, light}],
        ]) {
            await page.page.select("#shading", shading);
            assert.deepEqual(await legend(), wanted, shading);
        }
        // Rolling's water (sample 80) lies below the range: white on the map.
        assert.ok(range.low > 80);
        assert.equal(await page.page.$eval("#world-name", (name) => name.textContent), "Test");
        // The scale bar: a round length, drawn as long as that length is on the map.
        const scale = await page.page.$eval(".velmora-scale", (box) => ({
            text: box.textContent, width: box.querySelector(".velmora-scale-bar")
                .getBoundingClientRect().width}));
        const units = Number(/^(\d+) units$/.exec(scale.text)[1]);
        assert.match(String(units), /^[125]0*$/);
        // Zoom 0: a pixel a sample of 10 units; the bar's 2 px borders included.
        assert.ok(Math.abs(scale.width - units / 10) <= 4, `${scale.text}: ${scale.width} px`);
        assert.deepEqual(page.problems, []);
        await page.close();
    });

    test("go to sector: there as the link goes, or words for what is not a sector", async () => {
        const page = await opened.open();
        await page.mapDrawn();
        for (const [typed, hash, label, notice] of [
            ["banana", null, [], "\u201cbanana\u201d is no sector: type its name as A_B, for " +
                "example 3_7."],
            ["5,5", null, [], "\u201c5,5\u201d is no sector: type its name as A_B, for " +
                "example 3_7."],
            ["2_1", "#sector=2_1", ["sector 2_1"], ""],
            [" 30_30 ", "#sector=30_30", ["no sector 30_30 in this world yet"], ""],
        ]) {
            const before = await page.hash();
            await page.page.click("#goto-sector", {count: 3});
            await page.page.keyboard.type(typed);
            await page.page.keyboard.press("Enter");
            if (hash) {
                await page.addressBecomes((now) => now.startsWith("#map=") && now !== before);
            }
            assert.deepEqual(await page.page.$$eval(".velmora-mark-label",
                (all) => all.map((one) => one.textContent)), label, typed);
            assert.equal(await page.page.$eval("#notice", (box) => (box.hidden ? "" :
                box.querySelector("p").textContent)), notice, typed);
        }
        assert.deepEqual(page.problems, []);
        await page.close();
    });

    test("copy link puts the view's address on the clipboard and says so, in 2D and 3D; full " +
        "screen",
        async () => {
            const page = await opened.open("#map=100,120,1&shading=both");
            await page.mapDrawn();
            await page.page.evaluate(() => {
                window.copied = [];
                navigator.clipboard.writeText = (text) => {
                    window.copied.push(text);
                    return Promise.resolve();
                };
            });
            await page.page.click("#copy-link");
            await page.page.click('[data-mode="3d"]');
            await page.page.click("#copy-link");
            const copied = await page.page.evaluate(() => window.copied);
            assert.equal(copied.length, 2);
            assert.match(copied[0], /index\.html#map=100,120,1&shading=both$/);
            assert.match(copied[1], /index\.html#camera=[-\d.,]+&shading=both$/);
            assert.equal(copied[1], await page.page.evaluate(() => window.location.href));
            assert.equal(await page.page.$eval("#notice p", (text) => text.textContent),
                "Link copied: " + copied[1]);
            // Full screen, and back; the 3D view fills it.
            const fullScreen = () => page.page.$eval("#full-screen",
                (button) => button.getAttribute("aria-pressed"));
            await page.page.click("#full-screen");
            await page.page.waitForFunction(() => document.fullscreenElement !== null);
            assert.equal(await fullScreen(), "true");
            await page.page.click("#full-screen");
            await page.page.waitForFunction(() => document.fullscreenElement === null);
            assert.equal(await fullScreen(), "false");
            assert.deepEqual(page.problems, []);
            await page.close();
        });

    test("save picture: a PNG of exactly what the view shows, named after the world and place",
        async () => {
            const page = await opened.open("#map=150,160,0.5");
            await page.mapDrawn();
            // The file is offered by a link's click: taken here rather than downloaded.
            await page.page.evaluate(() => {
                document.addEventListener("click", (event) => {
                    if (event.target.download) {
                        event.preventDefault();
                        window.saved = event.target.download;
                    }
                }, true);
            });
            const take = () => page.page.evaluate(async () => {
                const blob = await Velmora.app.savePicture();
                const bytes = new Uint8Array(await blob.arrayBuffer());
                let binary = "";
                for (let k = 0; k < bytes.length; k += 0x8000) {
                    binary += String.fromCharCode.apply(null, bytes.subarray(k, k + 0x8000));
                }
                return {png: btoa(binary), name: window.saved};
            });
            const map = await take();
            assert.equal(map.name, "Test_map_150_160_z0.5.png");
            const picture = decodePng(Buffer.from(map.png, "base64"));
            assert.deepEqual([picture.width, picture.height], [Width, Height]);
            // The page's screenshot without the controls over the map.
            const bare = await page.page.addStyleTag({content: ".toolbar, .panel, .status, " +
                ".leaflet-control, .loading, .notice, .hint { visibility: hidden !important; }"});
            const screenshot = decodePng(await page.page.screenshot());
            const apart = difference(picture, screenshot);
            assert.ok(apart.share8 < 0.001, JSON.stringify(apart));
            await bare.evaluate((style) => style.remove());

            await page.page.click('[data-mode="3d"]');
            await page.page.waitForFunction(() => Velmora.app.view3d.settled(),
                {polling: 50, timeout: 60000});
            await page.page.addStyleTag({content: ".toolbar, .panel, .status, .loading, " +
                ".notice, .hint { visibility: hidden !important; }"});
            const view = await take();
            assert.match(view.name, /^Test_camera_-?\d+_-?\d+_-?\d+\.png$/);
            const drawn = decodePng(Buffer.from(view.png, "base64"));
            const shown = decodePng(await page.page.screenshot());
            assert.deepEqual([drawn.width, drawn.height], [Width, Height]);
            const apart3d = difference(drawn, shown);
            assert.ok(apart3d.share8 < 0.001, JSON.stringify(apart3d));
            assert.deepEqual(page.problems, []);
            await page.close();
        });

    test("the accessibility tree: the map as a named application, the status line",
        {skip: Unsupported.accessibilityTree}, async () => {
            const page = await opened.open("#map=189,63,0");
            await page.mapDrawn();
            const tree = await page.page.accessibility.snapshot({interestingOnly: false});
            const all = [];
            const walk = (node) => {
                all.push(node);
                (node.children || []).forEach(walk);
            };
            walk(tree);
            assert.ok(all.some((node) => node.role === "application" && node.name ===
                "Map of Test. The arrow keys pan, plus and minus zoom."));
            assert.ok(all.some((node) => node.role === "status"));
            assert.deepEqual(page.problems, []);
            await page.close();
        });

    test("by the keys alone: every control by Tab, focus shown, names and roles, the view's " +
        "centre read out", async () => {
        const page = await opened.open("#map=189,63,0");
        await page.mapDrawn();
        const reached = [];
        for (let k = 0; k < 20; k += 1) {
            await page.page.keyboard.press("Tab");
            const focused = await page.page.evaluate(() => {
                const element = document.activeElement;
                if (element === document.body || element.dataset.reached) {
                    return null;
                }
                element.dataset.reached = "1";
                const style = getComputedStyle(element);
                const after = getComputedStyle(element, "::after");
                const label = element.labels && element.labels[0];
                return {name: element.getAttribute("aria-label") ||
                    (label ? label.textContent.trim() : element.textContent.trim()),
                shown: style.outlineStyle !== "none" || after.borderTopStyle === "solid"};
            });
            if (focused === null) {
                break;
            }
            reached.push(focused);
        }
        const names = reached.map((focused) => focused.name);
        for (const name of ["Map of Test. The arrow keys pan, plus and minus zoom.", "Zoom in",
            "Height", "Sector grid", "Map", "3D", "Shading", "Whole world",
            "Go to sector A_B", "Copy link", "Save picture", "Full screen"]) {
            assert.ok(names.includes(name), `${name} not in ${names.join(" | ")}`);
        }
        for (const focused of reached) {
            assert.ok(focused.shown, `no focus shown on ${focused.name}`);
        }

        assert.equal(await page.page.$eval("#status", (status) => status.getAttribute("aria-live")),
            "off");
        assert.equal(await page.page.$eval("#announce", (region) =>
            region.getAttribute("aria-live")), "polite");

        // A pan by the keys: the ground at the view's centre is read out. (Past the last control
        // Firefox's Tab goes on to its own toolbar, and the page no longer has the keys: tabbed
        // on through it, back into the page, as a user would.)
        for (let k = 0; k < 20 && !await page.page.evaluate(() => document.hasFocus()); k += 1) {
            await page.page.keyboard.press("Tab");
        }
        await page.page.focus("#map");
        await page.page.keyboard.press("ArrowRight");
        await page.page.waitForFunction(() => document.getElementById("announce").textContent !==
            "");
        assert.match(await page.page.$eval("#announce", (region) => region.textContent),
            /^At the view's centre: sector 2_0, sample \d+, height \d+\.\d$/);

        // A sweep of the pointer: one read-out once it rests, not one per move.
        const changes = await page.page.evaluate(() => {
            window.readOuts = [];
            new MutationObserver(() => window.readOuts.push(
                document.getElementById("announce").textContent)).observe(
                document.getElementById("announce"), {childList: true, characterData: true,
                    subtree: true});
        });
        assert.equal(changes, undefined);
        for (let x = 700; x >= 300; x -= 20) {
            await page.page.mouse.move(x, 350);
        }
        const rested = await page.settledStatus();
        assert.match(rested, /^sector 0_0, /);
        await new Promise((resolve) => setTimeout(resolve, 1200));
        const place = await page.page.$eval("#place", (element) => element.textContent);
        assert.match(place, /^x \d+\.\d, y \d+\.\d$/);
        // One read-out for the sweep's 21 moves (a busy machine may pause mid-sweep for longer
        // than the pointer must rest: two then), the last where the pointer rests.
        const readOuts = await page.page.evaluate(() => window.readOuts);
        assert.ok(readOuts.length >= 1 && readOuts.length <= 2, JSON.stringify(readOuts));
        assert.equal(readOuts[readOuts.length - 1], `${rested}, ${place}`);

        // The 3D view's canvas: named, and shown focused.
        await page.page.click('[data-mode="3d"]');
        const canvas = await page.page.$eval("canvas.velmora-view3d", (element) => ({
            focused: document.activeElement === element, role: element.getAttribute("role"),
            name: element.getAttribute("aria-label")}));
        assert.deepEqual([canvas.focused, canvas.role], [true, "application"]);
        assert.match(canvas.name, /^The world in 3D\./);
        // The pointer on the 3D view's ground: where, and how far.
        await page.page.mouse.move(Width / 2, Height / 2);
        await page.page.waitForFunction(() => document.getElementById("place").textContent !== "");
        assert.match(await page.page.$eval("#place", (element) => element.textContent),
            /^x -?\d+\.\d, y -?\d+\.\d, \d+ units away$/);
        // A flight by the keys: the ground at the view's centre once they are let go.
        await page.page.evaluate(() => {
            document.getElementById("announce").textContent = "";
        });
        await page.page.keyboard.down("KeyW");
        await new Promise((resolve) => setTimeout(resolve, 300));
        await page.page.keyboard.up("KeyW");
        await page.page.waitForFunction(() => document.getElementById("announce").textContent !==
            "");
        assert.match(await page.page.$eval("#announce", (region) => region.textContent),
            /^At the view's centre: (sector \d+_\d+, sample \d+, height \d+\.\d|no ground)$/);
        assert.deepEqual(page.problems, []);
        await page.close();
    });
});
