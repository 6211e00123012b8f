// The browser every web test drives (VELMORA_BROWSER): the one asked for, on a profile of its
// own that goes with it, opening nothing by itself; and its pages' watch, on which every test's
// "nothing failed, nothing from outside" rests, seeing each kind of problem from disk and over
// HTTP alike.
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const http = require("node:http");
const os = require("node:os");
const path = require("node:path");
const {pathToFileURL} = require("node:url");
const {after, before, describe, test} = require("node:test");

const {Browser, Kind, Unsupported} = require("./support/browser");
const {makeSite} = require("./support/site");
const {Rolling} = require("./support/worlds");

const Types = {".html": "text/html", ".css": "text/css", ".js": "text/javascript",
    ".png": "image/png"};

// Serves `folder` on 127.0.0.1: its files, else 404.
function serve(folder) {
    const server = http.createServer((request, response) => {
        const name = decodeURIComponent(new URL(request.url, "http://host").pathname);
        const file = path.join(folder, name.endsWith("/") ? name + "index.html" : name);
        fs.readFile(file, (error, bytes) => {
            const found = !error && file.startsWith(folder + path.sep);
            response.writeHead(found ? 200 : 404,
                {"Content-Type": found ? Types[path.extname(file)] : "text/plain"});
            response.end(found ? bytes : "not found");
        });
    });
    return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

// Adds a script of address `url` to the page and waits until it has loaded or failed.
function addScript(page, url) {
    return page.page.evaluate((url) => new Promise((resolve) => {
        const script = document.createElement("script");
        script.src = url;
        script.onload = () => resolve("loaded");
        script.onerror = () => resolve("failed");
        document.head.append(script);
    }), url);
}

describe("the browser the web tests drive", () => {
    let site;
    let browser;
    let server;
    let beside;
    before(async () => {
        site = makeSite({Test: Rolling}, "Test");
        // A script beside the site's folder, not in it.
        beside = path.join(path.dirname(site.folder), "beside.js");
        fs.writeFileSync(beside, "window.besideLoaded = true;\n");
        server = await serve(site.folder);
        browser = await Browser.launch();
    });
    after(async () => {
        server.close();
        const profile = browser.profile;
        await browser.close();
        assert.equal(fs.existsSync(profile), false, "the profile outlives its browser");
    });

    test("is the one asked for, on a fresh profile in the temporary folder", async () => {
        const version = await browser.browser.version();
        assert.match(version, Kind === "firefox" ? /^firefox\// : /Chrom/, version);
        assert.equal(path.dirname(browser.profile), os.tmpdir());
        assert.match(path.basename(browser.profile), new RegExp(`^velmora-${Kind}-`));
    });

    test("sees the page's own loads from disk and over HTTP", async () => {
        for (const [url, within] of [[site.page, site.folder],
            [`http://127.0.0.1:${server.address().port}/index.html`,
                `http://127.0.0.1:${server.address().port}`]]) {
            const page = await browser.open(url, within);
            await page.mapDrawn();
            await page.close();
            const paths = page.requests.map((seen) => new URL(seen).pathname);
            for (const file of ["lib/leaflet/leaflet.js", "js/app.js", "data/worlds.js"]) {
                assert.ok(paths.some((seen) => seen.endsWith("/" + file)),
                    `${url}: ${file} not among ${paths.join(" ")}`);
            }
            assert.deepEqual(page.problems, []);
        }
    });

    test("names each problem a user would notice, from disk and over HTTP", async () => {
        const port = server.address().port;
        const local = `http://127.0.0.1:${port}`;
        // A port nothing listens on: the connection is refused at once.
        const closed = await new Promise((resolve) => {
            const probe = http.createServer().listen(0, "127.0.0.1", () => {
                const free = probe.address().port;
                probe.close(() => resolve(free));
            });
        });
        const beginning = (prefix) => (line) => line.startsWith(prefix);
        const elsewhere = `http://127.0.0.1:${closed}/x.js`;
        const cases = [
            {name: "an exception", from: "disk",
                act: (page) => page.page.evaluate(() => setTimeout(() => {
                    throw new Error("odd");
                })),
                problem: (line) => /^exception: .*odd/.test(line)},
            {name: "a console error", from: "disk",
                act: (page) => page.page.evaluate(() => console.error("said so")),
                problem: (line) => line === "console error: said so"},
            {name: "a missing file", from: "disk",
                act: (page) => addScript(page, "missing.js"),
                problem: beginning(`failed: ${pathToFileURL(site.folder).href}/missing.js`)},
            {name: "a file beside the site", from: "disk",
                act: (page) => addScript(page, pathToFileURL(beside).href),
                problem: beginning(`request outside the site: ${pathToFileURL(beside).href}`)},
            {name: "a server elsewhere", from: "disk",
                act: (page) => addScript(page, elsewhere),
                problem: beginning(`request outside the site: ${elsewhere}`)},
            {name: "an answer of 404", from: "http",
                act: (page) => addScript(page, "missing.js"),
                problem: beginning(`answered 404: ${local}/missing.js`)},
            {name: "another port of the host", from: "http",
                act: (page) => addScript(page, elsewhere),
                problem: beginning(`request outside the site: ${elsewhere}`)},
        ];
        for (const {name, from, act, problem} of cases) {
            const page = from === "disk" ? await browser.open(site.page, site.folder) :
                await browser.open(local + "/index.html", local);
            await page.mapDrawn();
            assert.deepEqual(page.problems, [], name);
            await act(page);
            // Reported asynchronously, some of them.
            for (let waited = 0; !page.problems.some(problem) && waited < 5000; waited += 50) {
                await new Promise((resolve) => setTimeout(resolve, 50));
            }
            await page.close();
            assert.ok(page.problems.some(problem), `${name}: ${JSON.stringify(page.problems)}`);
        }
    });

    test("has WebGL 2 for the 3D view", {skip: Unsupported.webgl2}, async () => {
        const page = await browser.open(site.page, site.folder);
        const renderer = await page.page.evaluate(() => {
            const gl = document.createElement("canvas").getContext("webgl2");
            return gl ? gl.getParameter(gl.VERSION) : null;
        });
        assert.match(String(renderer), /^WebGL 2\.0/);
        await page.close();
    });

    // Last, so that whatever a browser opens by itself after it starts has had its time.
    test("opens no page of its own: no first-run, what's-new or welcome page", async () => {
        const pages = await browser.browser.pages();
        assert.deepEqual(pages.map((page) => page.url()), ["about:blank"]);
    });
});
