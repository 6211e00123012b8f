// The browser the web tests drive, by VELMORA_BROWSER: Debian's Chromium (the default),
// headless, or Debian's firefox-esr over WebDriver BiDi, headless or, with a display (Xvfb),
// in a window, where it has WebGL. Driven by puppeteer-core (installed by scripts/setup below
// .cache/web-test; it never downloads a browser). One browser per test file, a fresh profile
// each time, and every page watched for what a user would notice going wrong.
"use strict";

const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const {pathToFileURL} = require("node:url");

const {watchFileLoads} = require("./file_loads");
const {firefoxPreferences} = require("./firefox_preferences");

const repository = path.resolve(__dirname, "..", "..", "..");
const puppeteer = require(path.join(repository, ".cache", "web-test", "node_modules",
    "puppeteer-core"));

const Kind = process.env.VELMORA_BROWSER || "chromium";
if (Kind !== "chromium" && Kind !== "firefox") {
    throw new Error(`VELMORA_BROWSER is "${Kind}": chromium or firefox`);
}
const Chromium = process.env.VELMORA_CHROMIUM || "/usr/bin/chromium";
const Firefox = process.env.VELMORA_FIREFOX || "/usr/bin/firefox-esr";
// Headless Firefox has no WebGL at all; in a window on a display it draws with Mesa.
const FirefoxHeadless = !process.env.DISPLAY;

// The window tests look through, in CSS pixels (even sides: the view's centre is a whole pixel).
const Width = 1000;
const Height = 700;

// Why a test cannot run in this browser, by what it needs; undefined where it can, so that
// `test(name, {skip: Unsupported.webgl2}, ...)` runs it or says why not.
const Unsupported = {
    // The 3D view.
    webgl2: Kind === "firefox" && FirefoxHeadless ?
        "headless Firefox has no WebGL: run it on a display (xvfb-run)" : undefined,
    // Chromium's own protocol: touch events with several fingers moving at once, say.
    devtoolsProtocol: Kind === "firefox" ?
        "Firefox is driven over WebDriver BiDi, which has no Chrome DevTools Protocol" : undefined,
    // The pointer moved out of the page, over the window's edge.
    pointerOutsidePage: Kind === "firefox" ?
        "WebDriver moves the pointer within the page alone" : undefined,
    // The accessibility tree as the browser gives it to screen readers.
    accessibilityTree: Kind === "firefox" ?
        "puppeteer reads no accessibility tree over WebDriver BiDi" : undefined,
};

async function launchChromium(profile) {
    return puppeteer.launch({
        executablePath: Chromium,
        // Exactly these flags, none of puppeteer's own.
        ignoreDefaultArgs: true,
        pipe: true,
        args: [
            "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            // WebGL 2 for the 3D view on SwiftShader. With --disable-gpu, Chromium 150 and
            // later still fall back to SwiftShader by themselves but warn on the console that
            // the fallback is deprecated, --use-angle=swiftshader included; this flag opts in
            // without the warning (and keeps working once the fallback is gone).
            "--enable-unsafe-swiftshader",
            "--user-data-dir=" + profile,
            "about:blank",
        ],
    });
}

async function launchFirefox(profile) {
    const args = ["--no-remote", "--profile", profile];
    if (FirefoxHeadless) {
        args.push("--headless");
    } else {
        // Room for the page's Width x Height besides the window's own bars.
        args.push("--width", String(Width + 200), "--height", String(Height + 200));
    }
    args.push("about:blank");
    return puppeteer.launch({
        browser: "firefox",
        executablePath: Firefox,
        // Exactly these arguments; puppeteer still writes its preferences into the profile,
        // and ours over them.
        ignoreDefaultArgs: true,
        args,
        extraPrefsFirefox: firefoxPreferences,
        env: Object.assign({}, process.env, {
            // No crash reporter dialog, no restart after a crash: a crash fails the test.
            MOZ_CRASHREPORTER_DISABLE: "1",
            MOZ_CRASHREPORTER_NO_REPORT: "1",
            // A release build takes the remote settings' server from the preferences only
            // with this set; else it asks Mozilla's for its lists, name lookup first.
            MOZ_REMOTE_SETTINGS_DEVTOOLS: "1",
        }),
    });
}

class Browser {
    static async launch() {
        const profile = fs.mkdtempSync(path.join(os.tmpdir(), `velmora-${Kind}-`));
        try {
            const browser = await (Kind === "firefox" ? launchFirefox : launchChromium)(profile);
            return new Browser(browser, profile);
        } catch (error) {
            fs.rmSync(profile, {recursive: true, force: true});
            throw error;
        }
    }

    constructor(browser, profile) {
        this.browser = browser;
        this.profile = profile;
    }

    // Opens `url` in a new page of Width x Height and returns a Page watching it. `site`: the
    // folder or address every request must stay within.
    async open(url, site) {
        const page = await this.browser.newPage();
        await page.setViewport({width: Width, height: Height});
        const watched = new Page(page, site);
        if (Kind === "firefox" && !site.startsWith("http")) {
            await watchFileLoads(page, watched.noteRequest,
                (failed) => watched.problems.push("failed: " + failed));
        }
        await page.goto(url, {waitUntil: "load"});
        return watched;
    }

    async close() {
        try {
            await this.browser.close();
        } finally {
            fs.rmSync(this.profile, {recursive: true, force: true});
        }
    }
}

class Page {
    constructor(page, site) {
        this.page = page;
        // What went wrong, one line each: console errors, uncaught exceptions, failed requests,
        // answers of 400 and up, and requests outside the site. (Not warnings: SwiftShader's
        // driver warns of every read-back, which a user never sees.)
        this.problems = [];
        this.requests = [];
        const within = site.startsWith("http") ? site : pathToFileURL(site).href;
        page.on("console", (message) => {
            if (message.type() === "error") {
                this.problems.push("console " + message.type() + ": " + message.text());
            }
        });
        page.on("pageerror", (error) => this.problems.push("exception: " + error.message));
        this.noteRequest = (url) => {
            this.requests.push(url);
            if (!url.startsWith(within + "/") && !/^(data|blob|about):/.test(url)) {
                this.problems.push("request outside the site: " + url);
            }
        };
        page.on("request", (request) => this.noteRequest(request.url()));
        page.on("requestfailed", (request) => {
            this.problems.push("failed: " + request.url() + " " + request.failure().errorText);
        });
        page.on("response", (response) => {
            if (response.status() >= 400) {
                this.problems.push("answered " + response.status() + ": " + response.url());
            }
        });
    }

    // Waits until the map's ground shows: tiles in view, and each of them drawn.
    async mapDrawn() {
        await this.page.waitForFunction(() => {
            const tiles = document.querySelectorAll(".velmora-ground .leaflet-tile");
            return tiles.length > 0 &&
                document.querySelectorAll(".velmora-ground .leaflet-tile-loaded").length ===
                tiles.length;
        });
    }

    // Moves the pointer to (x, y) in the window and gives the status line once it has settled
    // on what lies there (the level-0 tile may have to load first).
    async statusAt(x, y) {
        await this.page.mouse.move(x, y);
        return this.settledStatus();
    }

    // The status line once it is no longer busy loading what it reads.
    async settledStatus() {
        return this.page.evaluate(() => new Promise((resolve) => {
            const status = document.querySelector("[role=status]");
            const look = () => {
                if (status.getAttribute("aria-busy") === "true") {
                    requestAnimationFrame(look);
                } else {
                    resolve(status.textContent);
                }
            };
            requestAnimationFrame(look);
        }));
    }

    hash() {
        return this.page.evaluate(() => window.location.hash);
    }

    // Waits until the address after "#" satisfies `test` (a function of the hash, run here).
    async addressBecomes(test) {
        for (;;) {
            const hash = await this.hash();
            if (test(hash)) {
                return hash;
            }
            await new Promise((resolve) => setTimeout(resolve, 50));
        }
    }

    async close() {
        await this.page.close();
    }
}

module.exports = {Browser, Kind, Unsupported, Width, Height};
