// The height tiles of the world shown (data/W/tiles/Z/X_Y.vN.js), loaded on request and kept
// decoded in a small cache of the tiles used last, apart from any view: the map's layers, its
// status line and the 3D view ask the same cache, and a tile decoded for one serves the others.
"use strict";

(function () {
    // A tile's grid: 504 pixels and a ring of one around them.
    var Side = 506;
    var Pixels = 504;
    // About 0.75 MiB each decoded: a window's worth of tiles at two zooms and some more.
    var Kept = 48;

    function HeightTiles(world) {
        this.world = world;
        this.data = Velmora.worldData(world.folder);
        // key -> {promise, tile}, most recently used last.
        this.entries = new Map();
    }

    HeightTiles.Side = Side;
    HeightTiles.Pixels = Pixels;

    HeightTiles.key = function (level, x, y) {
        return "tiles/" + level + "/" + x + "_" + y;
    };

    // Whether level `level` has tile (x, y): only listed tiles exist, others are never asked for.
    HeightTiles.prototype.has = function (level, x, y) {
        var listed = this.world.tiles[level];
        return listed !== undefined && listed.has(x + "_" + y);
    };

    // The version the world lists tile (x, y) of level `level` at, undefined where it lists none.
    HeightTiles.prototype.version = function (level, x, y) {
        var listed = this.world.tiles[level];
        return listed === undefined ? undefined : listed.get(x + "_" + y);
    };

    // A later version of the world (a page served live): the tiles it lists at another version,
    // or no longer, are forgotten (those still loading too: their askers get the old one, then
    // ask again). Another world's tiles are all forgotten.
    HeightTiles.prototype.setWorld = function (world) {
        if (world.folder !== this.world.folder) {
            this.entries.forEach(function (entry) {
                entry.askers = 0;
            });
            this.entries.clear();
            this.data.dropWaiting(function () {
                return false;
            });
            this.data = Velmora.worldData(world.folder);
        }
        this.world = world;
        var self = this;
        this.entries.forEach(function (entry, key) {
            if (self.version(entry.level, entry.x, entry.y) !== entry.version) {
                self.entries.delete(key);
            }
        });
    };

    // The decoded tile when it is in the cache already, else null.
    HeightTiles.prototype.peek = function (level, x, y) {
        var entry = this.entries.get(HeightTiles.key(level, x, y));
        return entry && entry.tile ? entry.tile : null;
    };

    // Resolves with {level, x, y, version, heights: Uint16Array, coverage: Uint8Array} (Side x
    // Side, row-major), or with null for a tile that is not listed (no ground there). `priority`:
    // smaller loads sooner. An asker that loses interest before it resolves calls release().
    HeightTiles.prototype.get = function (level, x, y, priority) {
        if (!this.has(level, x, y)) {
            return Promise.resolve(null);
        }
        var key = HeightTiles.key(level, x, y);
        var entry = this.entries.get(key);
        if (entry) {
            this.entries.delete(key);
            this.entries.set(key, entry);
            if (!entry.tile) {
                entry.askers += 1;
                // Raises the waiting request's priority (its outcome comes through
                // entry.promise).
                this.data.load(key, entry.version, priority)
                    .catch(function () {});
            }
            return entry.promise;
        }
        var self = this;
        var data = this.data;
        var file = "data/" + this.world.folder + "/" + key + ".v";
        var version = this.world.tiles[level].get(x + "_" + y);
        entry = {tile: null, askers: 1, level: level, x: x, y: y, version: version};
        var request = function () {
            return data.load(key, version, priority).catch(function (error) {
                // Another view dropped the request the two shared: ask again while wanted.
                if (error.message === "no longer wanted" && entry.askers > 0) {
                    return request();
                }
                throw error;
            });
        };
        entry.promise = request()
            .then(function (buffer) {
                var bytes = new Uint8Array(buffer);
                var count = Side * Side;
                if (bytes.length !== 3 * count) {
                    throw new Error(file + version + ".js holds " + bytes.length + " bytes");
                }
                entry.tile = {
                    level: level,
                    x: x,
                    y: y,
                    version: version,
                    heights: Velmora.decodeHeights(bytes, 0, Side, Side),
                    coverage: bytes.subarray(2 * count, 3 * count),
                };
                return entry.tile;
            });
        entry.promise.catch(function () {
            // A failed or dropped request is asked afresh next time.
            if (self.entries.get(key) === entry) {
                self.entries.delete(key);
            }
        });
        this.entries.set(key, entry);
        this.trim();
        return entry.promise;
    };

    // Forgets the tiles used longest ago beyond what is kept (loading ones stay).
    HeightTiles.prototype.trim = function () {
        var excess = this.entries.size - Kept;
        for (var key of this.entries.keys()) {
            if (excess <= 0) {
                break;
            }
            if (this.entries.get(key).tile) {
                this.entries.delete(key);
                excess -= 1;
            }
        }
    };

    // Says that one asker of get() no longer needs the tile: once none does, a request still
    // waiting for its turn is dropped (its promise rejects with "no longer wanted").
    HeightTiles.prototype.release = function (level, x, y) {
        var key = HeightTiles.key(level, x, y);
        var entry = this.entries.get(key);
        if (!entry || entry.tile) {
            return;
        }
        entry.askers -= 1;
        if (entry.askers <= 0) {
            this.data.dropWaiting(function (waiting) {
                return waiting !== key;
            });
        }
    };

    Velmora.HeightTiles = HeightTiles;
})();
