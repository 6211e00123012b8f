// `velmora serve` behind Debian's nginx on a sub-path, with the location server owners copy and
// nothing more: a page open on /map/ shows a sector the game writes within two seconds (nginx
// must pass the event stream on as it comes, not buffer it), and a page whose server restarts
// behind nginx (which answers 502 meanwhile) says so and catches up once it is back.
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const {after, before, describe, test} = require("node:test");

const {Browser, Width, Height} = require("./support/browser");
const {mapShows, statusOf, terrainOf, writeSector} = require("./support/live_map");
const {Nginx} = require("./support/nginx");
const {startServe} = require("./support/serve");
const {writePrefix} = require("./support/world_prefix");

const CentreX = Width / 2;
const CentreY = Height / 2;
// Directly a sector reaches the page in about 0.35 s; through the proxy it must not take much
// longer.
const Promptly = 2000;
// Long enough for a loaded machine; a page that never shows the change fails here.
const Patience = 30000;
const Lost = "Server lost; reconnecting. ";

const Start = {
    sectors: ["0_0", "1_0", "0_1"],
    sample: (x, y) => 1500 + Math.round(300 * Math.sin(x / 17) * Math.cos(y / 11)),
};

// The location block the README gives for nginx.
function location(port) {
    return `location /map/ {\n    proxy_pass http://127.0.0.1:${port}/;\n}`;
}

function within(promise, what) {
    let timer;
    const late = new Promise((resolve, reject) => {
        timer = setTimeout(() => reject(new Error(`no ${what} in ${Patience} ms`)), Patience);
    });
    return Promise.race([promise, late]).finally(() => clearTimeout(timer));
}

describe("velmora serve behind nginx, on /map/", () => {
    let root;
    let prefix;
    let terrain;
    let folder;
    let server;
    let nginx;
    let browser;
    let page;

    // What went wrong on the page, but for the event stream's failures while the server was
    // away: the stream nginx cuts, and its 502 (Bad Gateway) for each try meanwhile.
    function problems() {
        return page.problems.filter((line) => !/\/map\/events\b/.test(line) &&
            !/ERR_INCOMPLETE_CHUNKED_ENCODING|status of 502 \(Bad Gateway\)/.test(line));
    }

    before(async () => {
        root = fs.mkdtempSync(path.join(os.tmpdir(), "velmora-proxy-"));
        prefix = path.join(root, "prefix");
        writePrefix(prefix, {Test: Start});
        terrain = terrainOf(prefix, "Test");
        folder = path.join(root, "site");
        server = await within(startServe(prefix, "Test", folder, 0), "address");
        nginx = await Nginx.start(location(server.port));
        browser = await Browser.launch();
    });

    after(async () => {
        if (browser) {
            await within(browser.close(), "closed browser").catch(() => {
                browser.browser.process().kill("SIGKILL");
            });
        }
        if (nginx) {
            await nginx.stop();
        }
        if (server && server.process.exitCode === null && server.process.signalCode === null) {
            server.process.kill("SIGKILL");
        }
        fs.rmSync(root, {recursive: true, force: true});
    });

    test("a page open on the sub-path shows a sector the game writes within two seconds",
        async (t) => {
            const site = nginx.address + "/map";
            page = await browser.open(site + "/#sector=5_1", site);
            // The stream opens with the first bytes nginx passes on: a buffered one never does.
            await page.page.waitForFunction(() => Velmora.app && Velmora.liveState() === "open",
                {timeout: Patience}).catch((error) => {
                throw new Error(`the event stream never opened: ${error.message}; ` +
                    `nginx: ${nginx.stderr()}`);
            });
            await page.page.mouse.move(CentreX, CentreY);
            assert.equal(await page.settledStatus(), "");

            const written = Date.now();
            writeSector(terrain, "5_1", 2600);
            const shown = await mapShows(page.page, CentreX, CentreY, 2600,
                statusOf("5_1", 2600), Patience).catch((error) => {
                throw new Error(`${error.message}; nginx: ${nginx.stderr()}`);
            });
            t.diagnostic(`5_1 written, in the map through nginx: ${shown - written} ms`);
            assert.ok(shown - written < Promptly, `${shown - written} ms`);
            // Everything the page asked for came from the sub-path, and came.
            assert.ok(page.requests.some((url) => url.startsWith(site + "/data/")));
            assert.deepEqual(problems(), []);
        });

    test("a page whose server restarts behind nginx says so, and catches up once it is back",
        async (t) => {
            const port = server.port;
            server.process.kill("SIGKILL");
            await within(server.exited, "exit");
            await page.page.waitForFunction((lost) =>
                document.querySelector("[role=status]").textContent.startsWith(lost),
            {timeout: Patience}, Lost);
            // The page tries again, and nginx, with nobody behind it, answers 502.
            const refused = `answered 502: ${nginx.address}/map/events`;
            await within((async () => {
                while (!page.problems.includes(refused)) {
                    await new Promise((resolve) => setTimeout(resolve, 100));
                }
            })(), "502 for the event stream");
            assert.equal(await page.page.evaluate(() => Velmora.liveState()), "lost");

            // The game goes on meanwhile: 5_1 again, higher.
            writeSector(terrain, "5_1", 2900);
            const restarted = Date.now();
            server = await within(startServe(prefix, "Test", folder, port), "address");
            assert.equal(server.port, port);
            const shown = await mapShows(page.page, CentreX, CentreY, 2900,
                statusOf("5_1", 2900), Patience);
            t.diagnostic(`5_1 rewritten while the server was away, in the map after its ` +
                `restart: ${shown - restarted} ms`);
            assert.equal(await page.page.evaluate(() => Velmora.liveState()), "open");
            assert.deepEqual(problems(), []);
        });
});
