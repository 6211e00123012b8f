// `velmora serve` from outside, as a user and the game meet it: a page left open shows the
// sectors the game writes without a reload, in the map and in the 3D view, whether the game
// writes a file whole or in two goes; a page that loses the server keeps its picture, says so,
// and catches up once the server is back; the server answers hostile requests with nothing from
// outside its site and stays up; SIGTERM ends it cleanly, and a page its stopping refused asks
// again until it is back. Each sector's way to the screen is timed and printed (not asserted: the
// machine is shared).
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const http = require("node:http");
const os = require("node:os");
const path = require("node:path");
const {spawnSync} = require("node:child_process");
const {after, before, describe, test} = require("node:test");

const {Browser, Width, Height} = require("./support/browser");
const {readPng} = require("./support/png");
const liveMap = require("./support/live_map");
const {raw, startServe, velmoraExecutable} = require("./support/serve");
const {statusOf} = liveMap;
const {heightmap, writePrefix} = require("./support/world_prefix");

const CentreX = Width / 2;
const CentreY = Height / 2;
// Long enough for a loaded machine; a page that never shows the change fails here.
const Patience = 30000;
// The game writes a heightmap in two goes this far apart: longer than the server's quiet time.
const HalfPause = 400;
const Lost = "Server lost; reconnecting. ";

// Rolling ground in three sectors, 0_0, 1_0 and 0_1; the test adds others, each flat at a
// value of its own (or two, one per half) so that any of its pixels and samples tells.
const Start = {
    sectors: ["0_0", "1_0", "0_1"],
    sample: (x, y) => 1500 + Math.round(300 * Math.sin(x / 17) * Math.cos(y / 11)),
};

// The map's grey for a sample, shaded by height (docs/WEB.md).
function grey(sample, range) {
    return sample < range.low ? 255 :
        Math.min(255, Math.floor((sample - range.low) * 256 / range.width));
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// `promise`, or a failure once the test's patience runs out.
function within(promise, what = "an answer") {
    let timer;
    const late = new Promise((resolve, reject) => {
        timer = setTimeout(() => reject(new Error(`no ${what} in ${Patience} ms`)), Patience);
    });
    return Promise.race([promise, late]).finally(() => clearTimeout(timer));
}

describe("velmora serve and a page left open", () => {
    let root;
    let prefix;
    let folder;
    let terrain;
    let server;
    let port;
    let browser;
    let page;

    // Writes sector `name` as the game does: its folder, then its heightmap, whole or in two
    // goes (rows r < split of `first`, then the rest of `second`).
    async function writeSector(name, first, second = first, split = 127) {
        const [a, b] = name.split("_").map(Number);
        const bytes = heightmap(a, b, (x) => (x - 126 * a < split ? first : second));
        const folderOf = path.join(terrain, name);
        fs.mkdirSync(folderOf, {recursive: true});
        const file = path.join(folderOf, `heightmap_${name}.zdt`);
        if (split >= 127) {
            fs.writeFileSync(file, bytes);
            return;
        }
        const cut = 24 + 2 * 127 * split;
        fs.writeFileSync(file, bytes.subarray(0, cut));
        await sleep(HalfPause);
        fs.appendFileSync(file, bytes.subarray(cut));
    }

    // Resolves with Date.now() in the page once the map shows `sample` at (x, y) and the
    // status line reads `status`.
    function mapShows(x, y, sample, status) {
        return liveMap.mapShows(page.page, x, y, sample, status, Patience);
    }

    // The screenshot's pixel at (x, y), and the grey the map gives `sample` now.
    async function screenPixel(x, y, sample) {
        const shot = readPng(await page.page.screenshot({type: "png"}));
        const range = await page.page.evaluate(() => Velmora.app.world.range);
        return {seen: shot.at(x, y).slice(0, 3), want: Array(3).fill(grey(sample, range))};
    }

    function status() {
        return page.page.$eval("[role=status]", (element) => element.textContent);
    }

    // What went wrong on the page, but for the event stream's failures while the server was away.
    function problems() {
        return page.problems.filter((line) => !/\/events\b/.test(line) &&
            !/ERR_CONNECTION_REFUSED|ERR_INCOMPLETE_CHUNKED_ENCODING/.test(line));
    }

    // The time a change took, in the test's output.
    function note(context, what, milliseconds) {
        context.diagnostic(`${what}: ${milliseconds} ms`);
    }

    before(async () => {
        root = fs.mkdtempSync(path.join(os.tmpdir(), "velmora-serve-"));
        prefix = path.join(root, "prefix");
        writePrefix(prefix, {Test: Start});
        terrain = liveMap.terrainOf(prefix, "Test");
        folder = path.join(root, "site");
        server = await within(startServe(prefix, "Test", folder, 0), "address");
        port = server.port;
        browser = await Browser.launch();
    });

    after(async () => {
        if (server && server.process.exitCode === null && server.process.signalCode === null) {
            server.process.kill("SIGKILL");
        }
        if (browser) {
            // A browser that does not close is not left behind.
            await within(browser.close(), "closed browser").catch(() => {
                browser.browser.process().kill("SIGKILL");
            });
        }
        fs.rmSync(root, {recursive: true, force: true});
    });

    test("a sector written whole beyond the world's box shows in the map without a reload",
        async (t) => {
            assert.match(server.address, /^http:\/\/127\.0\.0\.1:\d+$/);
            page = await browser.open(server.address + "/#sector=5_1", server.address);
            await page.page.waitForFunction(() => Velmora.app && Velmora.liveState() === "open",
                {timeout: Patience});
            await page.page.mouse.move(CentreX, CentreY);
            assert.equal(await status(), "");
            // Gone if the page reloads.
            await page.page.evaluate(() => { window.velmoraSamePage = true; });

            const written = Date.now();
            await writeSector("5_1", 2600);
            const shown = await mapShows(CentreX, CentreY, 2600, statusOf("5_1", 2600));
            note(t, "5_1 written whole, in the map", shown - written);

            const pixel = await screenPixel(CentreX, CentreY, 2600);
            assert.deepEqual(pixel.seen, pixel.want);
            // The same page: never reloaded.
            assert.equal(await page.page.evaluate(() => window.velmoraSamePage), true);
            // The world grew a tile and a level; the old sectors still read as they did.
            const world = await page.page.evaluate(() => ({levels: Velmora.app.world.levels,
                box: Velmora.app.world.box, title: document.title}));
            assert.deepEqual(world.box, {firstA: 0, firstB: 0, columnsA: 6, rowsB: 2});
            assert.equal(world.levels, 2);
            assert.equal(world.title, "Test - Velmora");
            assert.deepEqual(problems(), []);
        });

    test("a sector written in two goes, in a hole of the box, shows whole", async (t) => {
        await page.page.evaluate(() => { window.location.hash = "#sector=1_1"; });
        await page.page.mouse.move(CentreX + 1, CentreY);
        await page.page.mouse.move(CentreX, CentreY);
        assert.equal(await status(), "");

        // Rows 0 to 39 of world x first: the view's centre, row 63, is in the second go.
        const written = Date.now();
        await writeSector("1_1", 2200, 2400, 40);
        const shown = await mapShows(CentreX, CentreY, 2400, statusOf("1_1", 2400));
        note(t, "1_1 written in two goes, in the map", shown - written - HalfPause);
        // Left of the view's centre by 30 samples (4 pixels a sample here): the first go.
        const zoom = await page.page.evaluate(() => Velmora.app.map.view().zoom);
        const left = CentreX - 30 * Math.pow(2, zoom);
        assert.equal(await within(page.statusAt(left, CentreY)), statusOf("1_1", 2200));
        assert.equal(await page.page.evaluate(() => window.velmoraSamePage), true);
        assert.deepEqual(problems(), []);
    });

    test("a page that loses the server keeps its picture, says so, and catches up when it is back",
        async (t) => {
            await page.page.mouse.move(CentreX, CentreY);
            assert.equal(await within(page.settledStatus()), statusOf("1_1", 2400));
            const before = readPng(await page.page.screenshot({type: "png"}));

            server.process.kill("SIGKILL");
            await within(server.exited, "exit");
            await page.page.waitForFunction((lost) =>
                document.querySelector("[role=status]").textContent.startsWith(lost),
            {timeout: Patience}, Lost);
            // The ground's text stays readable after the notice.
            assert.equal(await status(), Lost + statusOf("1_1", 2400));
            assert.equal(await page.page.evaluate(() => Velmora.liveState()), "lost");
            const during = readPng(await page.page.screenshot({type: "png"}));
            // Every pixel as it was, but for the status line at the bottom left.
            const bar = await page.page.$eval("[role=status]", (element) => {
                const box = element.getBoundingClientRect();
                return {top: box.top, right: box.right};
            });
            let changed = 0;
            for (let y = 0; y < Height; y += 1) {
                for (let x = 0; x < Width; x += 1) {
                    if (y >= bar.top - 1 && x <= bar.right + 1) {
                        continue;
                    }
                    const at = 4 * (y * Width + x);
                    if (before.rgba.compare(during.rgba, at, at + 4, at, at + 4) !== 0) {
                        changed += 1;
                    }
                }
            }
            assert.equal(changed, 0, `${changed} pixels changed`);

            // The game goes on meanwhile: 2_1, right of the view's centre.
            await writeSector("2_1", 2800);
            const zoom = await page.page.evaluate(() => Velmora.app.map.view().zoom);
            const right = CentreX + 95 * Math.pow(2, zoom);
            assert.ok(right < Width - 20, `${right} is on screen`);

            const restarted = Date.now();
            server = await within(startServe(prefix, "Test", folder, port), "address");
            assert.equal(server.port, port);
            await page.page.waitForFunction((lost) => Velmora.liveState() === "open" &&
                !document.querySelector("[role=status]").textContent.startsWith(lost),
            {timeout: Patience}, Lost);
            assert.equal(await within(page.settledStatus()), statusOf("1_1", 2400));
            await page.page.mouse.move(right, CentreY);
            const shown = await mapShows(right, CentreY, 2800, statusOf("2_1", 2800));
            note(t, "2_1 written while the server was away, in the map after its restart",
                shown - restarted);
            assert.equal(await page.page.evaluate(() => window.velmoraSamePage), true);
            assert.deepEqual(problems(), []);
        });

    test("the 3D view shows a sector the game writes, and the sectors it has as they are",
        async (t) => {
            // 0_1 and 1_1 on the left, 4_0 at the top right; at zoom 1, sample (x, y) is at
            // window pixel (CentreX + 2 (x - 320), CentreY + 2 (y - 150)), in the 3D view too
            // (about: it is a perspective).
            await page.page.evaluate(() => { window.location.hash = "#map=320,150,1"; });
            await page.page.click('[data-mode="3d"]');
            // Straight down over the map's centre, showing what the map showed.
            await page.page.evaluate(() => {
                const view = Velmora.app.map.view();
                const x = view.x * 10;
                const y = view.y * 10;
                const found = Velmora.app.ground.lookup(x, y);
                const ground = found.height !== undefined ? found.height :
                    (Velmora.app.world.extent[2] + Velmora.app.world.extent[5]) / 2;
                Velmora.app.view3d.setCamera({x, y, z: ground + view.height * 5 /
                    Math.tan(Math.PI / 8), yaw: 0, pitch: Math.PI});
            });
            // Every sector at every sample, each drawn from its tile.
            await page.page.evaluate(() => Velmora.app.view3d.setMaxError(0));
            await page.page.waitForFunction(() => Velmora.app.view3d &&
                Velmora.app.view3d.settled(), {timeout: Patience});
            const at = (x, y) => [CentreX + 2 * (x - 320), CentreY + 2 * (y - 150)];
            const inHole = at(537, 63);
            const inOld = [at(100, 200), at(189, 200)];
            const pixel = ([x, y]) => page.page.evaluate((x, y) => {
                const shown = Velmora.app.view3d.picture();
                const offset = 4 * (y * shown.width + x);
                return Array.from(shown.rgba.slice(offset, offset + 3));
            }, x, y);
            // The samples under the pointer.
            const sampleAt = async (place) => Number(/sample (\d+)/.exec(
                await within(page.statusAt(...place)))[1]);
            assert.deepEqual(await pixel(inHole), [0, 0, 255], "the sky");
            assert.equal(await within(page.statusAt(...inOld[1])), statusOf("1_1", 2400));
            await page.page.mouse.move(...inHole);
            assert.equal(await status(), "");

            // 4_0 comes before 0_1 and 1_1 in the world's order (B, then A): their indices
            // change, their tile does not.
            const written = Date.now();
            await writeSector("4_0", 1000);
            const shown = await page.page.waitForFunction((text) =>
                document.querySelector("[role=status]").textContent === text && Date.now(),
            {polling: "raf", timeout: Patience}, statusOf("4_0", 1000))
                .then((handle) => handle.jsonValue());
            note(t, "4_0 written whole, in the 3D view", shown - written);
            await page.page.waitForFunction(() => Velmora.app.view3d.settled(),
                {timeout: Patience});
            // Grey by height, in the new range: a step either way for the shader's rounding
            // where the ground is flat, a few where it rolls between samples.
            const range = await page.page.evaluate(() => Velmora.app.world.range);
            const flat = await pixel(inHole);
            assert.ok(flat.every((channel) => Math.abs(channel - grey(1000, range)) <= 1),
                `4_0: ${flat} for ${grey(1000, range)}`);
            assert.equal(await sampleAt(inOld[1]), 2400);
            for (const place of inOld) {
                const seen = await pixel(place);
                const want = grey(await sampleAt(place), range);
                assert.ok(seen.every((channel) => Math.abs(channel - want) <= 6),
                    `${place}: ${seen} for ${want}`);
            }
            assert.match(await within(page.statusAt(...inOld[0])), /^sector 0_1, /);
            assert.equal(await page.page.evaluate(() => window.velmoraSamePage), true);
            assert.deepEqual(problems(), []);
        });

    test("hostile requests get nothing from outside the site, and the server stays up",
        async () => {
            const secret = "not for the web " + process.pid;
            fs.writeFileSync(path.join(root, "secret.txt"), secret);
            fs.symlinkSync(path.join(root, "secret.txt"), path.join(folder, "leak.txt"));
            fs.symlinkSync(root, path.join(folder, "leak"));
            const get = (target, extra = "") =>
                raw(port, `GET ${target} HTTP/1.1\r\nHost: x\r\nConnection: close\r\n${extra}\r\n`);

            const traversals = ["/../secret.txt", "/%2e%2e/secret.txt", "/%2E%2E%2Fsecret.txt",
                "/data/..%2f..%2f..%2fsecret.txt", "/..%5csecret.txt", "/..\\secret.txt",
                "/data%2f..%2f..%2fsecret.txt", "/.velmora-site", "/leak.txt", "/leak/secret.txt",
                "/./../secret.txt", "//../secret.txt", "/%252e%252e/secret.txt"];
            const record = fs.readFileSync(path.join(folder, ".velmora-site"), "latin1")
                .slice(0, 40);
            for (const target of traversals) {
                const answer = await get(target);
                assert.ok(answer.status >= 400 && answer.status < 500,
                    `${target}: ${answer.status}`);
                assert.ok(!answer.body.includes(secret), target);
                assert.ok(!answer.body.includes(record), target);
            }
            for (const method of ["POST", "PUT", "DELETE"]) {
                const answer = await raw(port, `${method} /index.html HTTP/1.1\r\nHost: x\r\n` +
                    "Content-Length: 0\r\nConnection: close\r\n\r\n");
                assert.equal(answer.status, 405, method);
            }
            const withBody = await raw(port, "GET /index.html HTTP/1.1\r\nHost: x\r\n" +
                "Content-Length: 11\r\nConnection: close\r\n\r\nhello world");
            assert.ok(withBody.status >= 400, `a body: ${withBody.status}`);
            assert.ok(!withBody.body.includes("<html"), "a body: the page came back");
            const long = await get("/" + "a/".repeat(20000) + "index.html");
            assert.ok(long.status === 0 || long.status >= 400, `an overlong path: ${long.status}`);
            const headers = Array.from({length: 200}, (_, k) => `X-H${k}: ${k}\r\n`).join("");
            const many = await get("/index.html", headers);
            assert.ok(many.status === 0 || many.status >= 400, `many headers: ${many.status}`);

            // Still up, for sockets and for the page.
            const fine = await get("/index.html");
            assert.equal(fine.status, 200);
            assert.match(fine.body, /<html/);
            assert.equal(await page.page.evaluate(() => Velmora.liveState()), "open");
        });

    test("velmora web into the served folder is refused, naming where it is served", () => {
        const recordBefore = fs.readFileSync(path.join(folder, ".velmora-site"));
        for (const extra of [[], ["--force"]]) {
            const run = spawnSync(velmoraExecutable, ["web", "Test", folder, ...extra],
                {env: {...process.env, WINEPREFIX: prefix}, encoding: "utf8", timeout: Patience});
            assert.equal(run.status, 1, run.stderr);
            assert.match(run.stderr,
                new RegExp(`is served by velmora serve at http://127\\.0\\.0\\.1:${port}/`));
            assert.equal(run.stderr.trim().split("\n").length, 1, run.stderr);
        }
        assert.deepEqual(fs.readFileSync(path.join(folder, ".velmora-site")), recordBefore);
    });

    test("SIGTERM ends the server with status 0, the page's stream with it", async (t) => {
        const sent = Date.now();
        server.process.kill("SIGTERM");
        const ended = await within(server.exited, "exit");
        note(t, "exit after SIGTERM", Date.now() - sent);
        assert.deepEqual(ended, {code: 0, signal: null}, server.stderr());
        await page.page.waitForFunction((lost) =>
            document.querySelector("[role=status]").textContent.startsWith(lost),
        {timeout: Patience}, Lost);
    });

    test("a page refused while the server stops keeps asking, and catches up once it is back",
        async (t) => {
            // While it stops, velmora serve answers the stream 503, and a browser refused so
            // gives up on it for good; the page must ask again itself. The real window is too
            // short to meet on purpose: a stand-in on the port answers as it does.
            let refused = 0;
            const standIn = http.createServer((request, response) => {
                refused += request.url.startsWith("/events") ? 1 : 0;
                response.writeHead(503, {"Content-Type": "text/plain; charset=utf-8"});
                response.end("stopping\n");
            });
            await new Promise((resolve, reject) => {
                standIn.once("error", reject);
                standIn.listen(port, "127.0.0.1", resolve);
            });
            let look;
            try {
                // A refusal, then the page's own try two seconds later, refused again.
                await within(new Promise((resolve) => {
                    look = setInterval(() => refused >= 2 && resolve(), 50);
                }), "second request for events after a 503");
            } finally {
                clearInterval(look);
                standIn.closeAllConnections();
                await new Promise((resolve) => standIn.close(resolve));
            }
            assert.equal(await page.page.evaluate(() => Velmora.liveState()), "lost");
            assert.ok((await status()).startsWith(Lost));

            // 4_1 lies in a hole of the box, below 4_0 in the 3D view.
            const place = [CentreX + 2 * (537 - 320), CentreY + 2 * (200 - 150)];
            await page.page.mouse.move(...place);
            await writeSector("4_1", 1200);
            const restarted = Date.now();
            server = await within(startServe(prefix, "Test", folder, port), "address");
            assert.equal(server.port, port);
            const shown = await page.page.waitForFunction((text) =>
                Velmora.liveState() === "open" &&
                document.querySelector("[role=status]").textContent === text && Date.now(),
            {polling: "raf", timeout: Patience}, statusOf("4_1", 1200))
                .then((handle) => handle.jsonValue());
            note(t, "4_1 written after a 503, in the 3D view after the restart",
                shown - restarted);
            assert.equal(await page.page.evaluate(() => window.velmoraSamePage), true);
            // The browser says of each refused stream that it failed to load; nothing else.
            assert.deepEqual(problems().filter((line) => !/status of 503\b/.test(line)), []);
            await within(page.close(), "closed page");
        });
});
