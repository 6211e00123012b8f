// The site from a plain static server, as any host serves it: every request the page makes is
// answered, the icon included, and the map works as from disk. Such a host has no event stream
// (velmora serve's): the page asks for it once and goes on quietly without.
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const http = require("node:http");
const path = require("node:path");
const {after, before, describe, test} = require("node:test");

const {Browser, Width, Height} = require("./support/browser");
const {makeSite} = require("./support/site");
const {Rolling} = require("./support/worlds");

const Types = {
    ".html": "text/html", ".css": "text/css", ".js": "text/javascript", ".png": "image/png",
};

// Serves `folder` on 127.0.0.1 with no special headers; `log` collects "STATUS /path".
function serve(folder, log) {
    const server = http.createServer((request, response) => {
        const name = decodeURIComponent(new URL(request.url, "http://host").pathname);
        const file = path.join(folder, name.endsWith("/") ? name + "index.html" : name);
        fs.readFile(file, (error, bytes) => {
            const status = error || !file.startsWith(folder + path.sep) ? 404 : 200;
            log.push(status + " " + name);
            response.writeHead(status, {"Content-Type": Types[path.extname(file)] || "text/plain"});
            response.end(status === 200 ? bytes : "not found");
        });
    });
    return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

describe("the site over HTTP", () => {
    let site;
    let browser;
    let server;
    const log = [];
    before(async () => {
        site = makeSite({Test: Rolling}, "Test");
        server = await serve(site.folder, log);
        browser = await Browser.launch();
    });
    after(async () => {
        await browser.close();
        server.close();
    });

    test("answers every request the page makes, with the icon at the root", async () => {
        const root = `http://127.0.0.1:${server.address().port}`;
        const page = await browser.open(root + "/#sector=2_1", root);
        await page.mapDrawn();
        assert.match(await page.statusAt(Width / 2, Height / 2), /^sector 2_1, sample \d+/);
        const icon = await page.page.$eval("link[rel=icon]", (link) => link.href);
        assert.equal(icon, root + "/icon.png");
        // Whether or not the browser asks for the icon itself, it is there to be had.
        const fetched = await page.page.evaluate(async (address) => {
            const response = await fetch(address);
            return [response.status, response.headers.get("content-type")];
        }, icon);
        assert.deepEqual(fetched, [200, "image/png"]);
        // Longer than velmora serve asks a page to wait before it tries again.
        await new Promise((resolve) => setTimeout(resolve, 2500));
        assert.equal(await page.page.evaluate(() => Velmora.liveState()), "none");
        assert.match(await page.settledStatus(), /^sector 2_1, /);
        // A site velmora web wrote asks a plain host for no events: not one request fails.
        assert.deepEqual(page.problems, []);
        await page.close();
        assert.deepEqual(log.filter((line) => !line.startsWith("200 ")), []);
        assert.ok(log.some((line) => /^200 \/data\/[^/]+\/tiles\//.test(line)), log.join("\n"));
    });
});
