// What the world is (data/world.js): its sectors, shading range, tiles and level tree, decoded
// into plain arrays once. data/world.js calls Velmora.world(meta) as it runs; a page served live
// loads it again after each update, and a later version replaces the world the page has.
"use strict";

(function () {
    var ready = [];
    var loaded = null;
    // The version of the latest world.js run, decoded or still decoding: an older one that
    // finishes decoding after it is dropped.
    var newest = null;
    var listeners = [];

    // The world, once decoded: resolves with it (at once when it is there already).
    Velmora.whenWorld = function () {
        return loaded ? Promise.resolve(loaded) : new Promise(function (resolve, reject) {
            ready.push({resolve: resolve, reject: reject});
        });
    };

    // Calls listener(world, previous) each time a later world replaces the one there.
    Velmora.onWorld = function (listener) {
        listeners.push(listener);
    };

    // The version of the latest world.js run, null before the first.
    Velmora.worldVersion = function () {
        return newest;
    };

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

    Velmora.world = function (meta) {
        // The same or an older version (a catch-up that found nothing new, a late answer).
        if (newest !== null && !(meta.version > newest)) {
            return;
        }
        newest = meta.version;
        var tiles = Promise.all(meta.tiles.map(Velmora.inflate)).then(function (levels) {
            return levels.map(decodeTiles);
        });
        var sectors = Velmora.inflate(meta.sectors.table).then(function (buffer) {
            return decodeSectors(meta.sectors.names, buffer);
        });
        var nodes = Velmora.inflate(meta.nodes.table).then(decodeNodes);
        Promise.all([tiles, sectors, nodes]).then(function (parts) {
            var world = Object.assign({}, meta);
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
            if (meta.version !== newest) {
                return;
            }
            var previous = loaded;
            loaded = world;
            ready.splice(0).forEach(function (waiter) { waiter.resolve(world); });
            if (previous) {
                listeners.forEach(function (listener) { listener(world, previous); });
            }
        }, function (error) {
            if (meta.version === newest) {
                // Read again when asked again.
                newest = loaded ? loaded.version : null;
            }
            if (loaded) {
                // The page keeps the world it has; the next update brings a whole one.
                console.warn("data/world.js version " + meta.version + " cannot be read: " +
                    error.message);
                return;
            }
            ready.splice(0).forEach(function (waiter) { waiter.reject(error); });
        });
    };
})();
