// How the page takes the site's index and its worlds' files, without a browser: the world asked
// for last is handed over, whatever order the files run in, with what the index says every world
// shares; an older index changes nothing.
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const path = require("node:path");
const vm = require("node:vm");
const zlib = require("node:zlib");
const {before, describe, test} = require("node:test");

const {makeSite, siteIndex} = require("./support/site");
const {Rolling} = require("./support/worlds");

// site.js and world.js in a page of their own; `run(file)` runs a site's data file there.
function pageOf(folder) {
    const context = vm.createContext({});
    context.window = context;
    context.Velmora = {inflate: async (base64) => new Uint8Array(
        zlib.inflateRawSync(Buffer.from(base64, "base64"))).buffer};
    for (const script of ["js/site.js", "js/world.js"]) {
        const file = path.join(folder, script);
        vm.runInContext(fs.readFileSync(file, "utf8"), context, {filename: file});
    }
    const run = (file) => vm.runInContext(fs.readFileSync(path.join(folder, "data", file), "utf8"),
        context);
    return {Velmora: context.Velmora, run};
}

describe("the site's index and its worlds' files", () => {
    let site;
    let index;
    let first;
    let second;
    before(() => {
        site = makeSite({Rolling, Other: {sectors: ["4_4"], sample: () => 1200}},
            ["Rolling", "Other"]);
        index = siteIndex(site.folder);
        [first, second] = index.worlds;
    });

    const fileOf = (entry) => `${entry.folder}/world.v${entry.version}.js`;

    test("hands over the world asked for last, with what the index says of the site", async () => {
        const page = pageOf(site.folder);
        page.run("worlds.js");
        const asked = page.Velmora.expectWorld(first.folder, first.version);
        // Another world's file, run meanwhile (a late answer to an earlier choice).
        page.run(fileOf(second));
        page.run(fileOf(first));
        const world = await asked;
        assert.deepEqual([world.world, world.folder, world.ground, world.live,
            world.sectors.filter((sector) => sector.drawn).length],
        [first.name, first.folder, index.ground, index.live, first.sectors]);
        // Asked again at the same version: the same world, at once, its file not needed.
        assert.equal(await page.Velmora.expectWorld(first.folder, first.version), world);
    });

    test("a choice changed before its file ran hands over nothing for it", async () => {
        const page = pageOf(site.folder);
        page.run("worlds.js");
        const dropped = page.Velmora.expectWorld(first.folder, first.version);
        const chosen = page.Velmora.expectWorld(second.folder, second.version);
        assert.equal(await dropped, null);
        page.run(fileOf(first));
        page.run(fileOf(second));
        assert.equal((await chosen).world, second.name);
    });

    test("an index replaces the one there only when newer, telling its listeners", async () => {
        const page = pageOf(site.folder);
        const {Site} = page.Velmora;
        const heard = [];
        Site.onIndex((now, previous) => heard.push([now.version, previous.version]));
        assert.equal(Site.version(), null);
        page.run("worlds.js");
        const v = index.version;
        assert.equal((await Site.whenIndex()).version, v);
        page.Velmora.worlds(Object.assign({}, index, {version: v}));
        page.Velmora.worlds(Object.assign({}, index, {version: v - 1, worlds: []}));
        page.Velmora.worlds(Object.assign({}, index, {version: v + 1,
            worlds: index.worlds.slice(1)}));
        assert.deepEqual(heard, [[v + 1, v]]);
        // Names are matched exactly.
        assert.deepEqual([Site.several(), Site.find(first.name), Site.find(second.name).folder,
            Site.find(second.name.toUpperCase())], [false, null, second.folder, null]);
    });
});
