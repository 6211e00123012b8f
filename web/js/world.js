// What a world is (data/W/world.vN.js): its sectors, shading range, tiles and level tree,
// decoded into plain arrays once. The page asks for a world by its entry in the site's index
// (Velmora.openWorld); its world.vN.js calls Velmora.world(meta) as it runs, and the world the
// page asked for last is the one decoded and handed over. A page served live asks again for
// the world it shows when its version grows.
"use strict";

(function () {
    // The one world asked for and not handed over yet: {folder, version, resolve, reject}.
    var pending = null;
    // The world handed over last.
    var loaded = null;

    function littleEndian(buffer) {
        return new DataView(buffer);
    }

    function decodeTiles(buffer) {
        var view = littleEndian(buffer);
        var count = view.getUint32(0, true);
        var tiles = new Map();
        for (var k = 0; k < count; k += 1) {
            var at = 4 + 12 * k;
            var x = view.getInt32(at, true);
            var y = view.getInt32(at + 4, true);
            tiles.set(x + "_" + y, view.getUint32(at + 8, true));
        }
        return tiles;
    }

    function decodeSectors(names, buffer) {
        var view = littleEndian(buffer);
        var SectorBytes = 4 + 4 + 1 + 6 * 4 + 2 + 2 + 2;
        var sectors = [];
        for (var s = 0; s < names.length; s += 1) {
            var at = s * SectorBytes;
            var errors = [];
            for (var l = 0; l < 6; l += 1) {
                errors.push(view.getFloat32(at + 9 + 4 * l, true));
            }
            sectors.push({
                index: s,
                name: names[s],
                a: view.getInt32(at, true),
                b: view.getInt32(at + 4, true),
                drawn: view.getUint8(at + 8) !== 0,
                levelErrors: errors,
                least: view.getUint16(at + 33, true),
                greatest: view.getUint16(at + 35, true),
                version: view.getUint16(at + 37, true),
            });
        }
        return sectors;
    }

    function decodeNodes(buffer) {
        var view = littleEndian(buffer);
        var NodeBytes = 4 * 4 + 4 * 4 + 4 + 2 + 2;
        var count = buffer.byteLength / NodeBytes;
        var nodes = [];
        for (var n = 0; n < count; n += 1) {
            var at = n * NodeBytes;
            nodes.push({
                index: n,
                level: view.getInt32(at, true),
                p: view.getInt32(at + 4, true),
                q: view.getInt32(at + 8, true),
                sector: view.getInt32(at + 12, true),
                children: [view.getInt32(at + 16, true), view.getInt32(at + 20, true),
                    view.getInt32(at + 24, true), view.getInt32(at + 28, true)],
                error: view.getFloat32(at + 32, true),
                least: view.getUint16(at + 36, true),
                greatest: view.getUint16(at + 38, true),
            });
        }
        return nodes;
    }

    // A world's file name below data/: W/world.vN.js.
    function fileOf(folder, version) {
        return folder + "/world.v" + version + ".js";
    }

    // The world of `folder` at `version` (or later), once its world.vN.js has run and been
    // decoded: resolves with it, or with null when the page asked for another one meanwhile.
    Velmora.expectWorld = function (folder, version) {
        if (pending) {
            pending.resolve(null);
        }
        if (loaded && loaded.folder === folder && loaded.version >= version) {
            pending = null;
            return Promise.resolve(loaded);
        }
        return new Promise(function (resolve, reject) {
            pending = {folder: folder, version: version, resolve: resolve, reject: reject};
        });
    };

    // Loads the world an entry of the site's index names (Velmora.Site): as expectWorld.
    Velmora.openWorld = function (entry) {
        var promise = Velmora.expectWorld(entry.folder, entry.version);
        var asked = pending;
        if (asked) {
            var script = document.createElement("script");
            script.src = "data/" + fileOf(entry.folder, entry.version);
            var fail = function (words) {
                script.remove();
                if (pending === asked && !asked.ran) {
                    pending = null;
                    asked.reject(new Error("data/" + fileOf(entry.folder, entry.version) + words));
                }
            };
            script.onload = function () {
                // Velmora.world ran before onload, unless the file holds no such world.
                fail(" holds no world " + entry.folder);
            };
            script.onerror = function () {
                fail(" cannot be loaded");
            };
            document.head.appendChild(script);
        }
        return promise;
    };

    Velmora.world = function (meta) {
        var asked = pending;
        // Another world than the one asked for, or an older version (a late answer).
        if (!asked || meta.folder !== asked.folder || !(meta.version >= asked.version)) {
            return;
        }
        asked.ran = true;
        var tiles = Promise.all(meta.tiles.map(Velmora.inflate)).then(function (levels) {
            return levels.map(decodeTiles);
        });
        var sectors = Velmora.inflate(meta.sectors.table).then(function (buffer) {
            return decodeSectors(meta.sectors.names, buffer);
        });
        var nodes = Velmora.inflate(meta.nodes.table).then(decodeNodes);
        Promise.all([tiles, sectors, nodes]).then(function (parts) {
            if (pending !== asked) {
                return;
            }
            pending = null;
            var world = Object.assign({}, meta);
            // What every world of the site shares comes from the site's index.
            var site = Velmora.Site ? Velmora.Site.index() : null;
            world.ground = site ? site.ground : (meta.ground === undefined ? null : meta.ground);
            world.live = site ? site.live : meta.live === true;
            world.tiles = parts[0];
            world.sectors = parts[1];
            world.nodes = parts[2];
            world.root = meta.nodes.root;
            world.sectorAt = new Map();
            world.sectors.forEach(function (sector) {
                if (sector.drawn) {
                    world.sectorAt.set(sector.a + "_" + sector.b, sector);
                }
            });
            loaded = world;
            asked.resolve(world);
        }, function (error) {
            if (pending === asked) {
                pending = null;
                asked.reject(new Error("data/" + fileOf(meta.folder, meta.version) +
                    " cannot be read: " + error.message));
            }
        });
    };
})();
