// Sites written by the built `velmora web` from worlds written here, each in a temporary
// folder of its own that goes away with the test process.
"use strict";

const {execFileSync} = require("node:child_process");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const {after, before} = require("node:test");
const {pathToFileURL} = require("node:url");

const {Browser} = require("./browser");
const {writePrefix} = require("./world_prefix");

const repository = path.resolve(__dirname, "..", "..", "..");
// CTest names the build's velmora; by hand, the default build's.
const Velmora = process.env.VELMORA_EXECUTABLE ||
    path.join(repository, "build", "tools", "velmora", "velmora");

const folders = [];
process.on("exit", () => {
    for (const folder of folders) {
        fs.rmSync(folder, {recursive: true, force: true});
    }
});

// Runs velmora with WINEPREFIX at `prefix`, in an empty folder, its summaries in a cache of its
// own; gives its standard output and throws on failure.
function velmora(prefix, args) {
    const home = path.join(prefix, "home");
    fs.mkdirSync(home, {recursive: true});
    try {
        return execFileSync(Velmora, args, {
            cwd: home,
            env: Object.assign({}, process.env, {
                WINEPREFIX: prefix,
                XDG_CACHE_HOME: path.join(home, "cache"),
            }),
            encoding: "utf8",
            stdio: ["ignore", "pipe", "pipe"],
        });
    } catch (error) {
        throw new Error(`velmora ${args.join(" ")} failed (${error.status}): ${error.stderr}`);
    }
}

// Writes the worlds ({NAME: {sectors, sample}}) into a prefix and a site of world `names` (a
// name, or several in the site's order): {prefix, folder, page (the index.html address),
// velmora(args)}.
function makeSite(worlds, names) {
    const root = fs.mkdtempSync(path.join(os.tmpdir(), "velmora-web-"));
    folders.push(root);
    const prefix = path.join(root, "prefix");
    writePrefix(prefix, worlds);
    const folder = path.join(root, "site");
    velmora(prefix, ["web", ...[].concat(names), folder]);
    return {
        prefix,
        folder,
        page: pathToFileURL(path.join(folder, "index.html")).href,
        velmora: (args) => velmora(prefix, args),
    };
}

// The site's index (data/worlds.js) as the page reads it.
function siteIndex(folder) {
    const text = fs.readFileSync(path.join(folder, "data", "worlds.js"), "utf8");
    const match = /^Velmora\.worlds\(([\s\S]*)\);\s*$/.exec(text);
    if (!match) {
        throw new Error(`${folder}/data/worlds.js is not a site's index`);
    }
    return JSON.parse(match[1]);
}

// The folder below data/ of world `name` (the site's first without a name).
function worldFolder(folder, name) {
    const worlds = siteIndex(folder).worlds;
    const entry = name === undefined ? worlds[0] : worlds.find((world) => world.name === name);
    if (!entry) {
        throw new Error(`the site in ${folder} holds no world ${name}`);
    }
    return path.join(folder, "data", entry.folder);
}

// For the tests of a describe block: a site of `worlds` and a browser, made before them, the
// browser closed after; `opened.site` and `opened.browser` once made, and `opened.open(hash)` the
// site's page at that address.
function openedSite(worlds, names) {
    const opened = {
        open: (hash = "") => opened.browser.open(opened.site.page + hash, opened.site.folder),
    };
    before(async () => {
        opened.site = makeSite(worlds, names);
        opened.browser = await Browser.launch();
    });
    after(async () => {
        await opened.browser.close();
    });
    return opened;
}

module.exports = {makeSite, openedSite, siteIndex, worldFolder};
