// The 3D view's data: the level tree's grids (data/lod chunks) and the sectors' full samples
// (the level-0 height tiles), loaded as the frames want them, nearest first, as the desktop's
// SectorStore loads sectors, and kept under a byte budget, least recently used first out.
"use strict";

var Velmora = window.Velmora || {};
window.Velmora = Velmora;
Velmora.view3d = Velmora.view3d || {};

(function (v) {
    var TileSide = 506;
    var TileCells = 504;
    var TileSectors = 4;
    var Stride = 126;
    // Chunks come before any tile: without them nothing is refined at all.
    var TileBand = 1e12;
    // Decoded tiles kept, in bytes (a tile's heights are half a megabyte).
    v.TileBudget = 192 << 20;

    // `world` as Velmora.openWorld gives it; `loader`: Velmora.load-like (key, version,
    // priority) -> Promise of an ArrayBuffer; `dropWaiting`: Velmora.dropWaiting-like;
    // `tileSource`, when the page shares its decoded height tiles between views: get(level, x,
    // y, priority) -> Promise of {heights}, release(level, x, y).
    v.TerrainData = function (world, loader, dropWaiting, tileSource) {
        this.world = world;
        this.loader = loader;
        this.dropWaiting = dropWaiting || function () {};
        this.tileSource = tileSource || null;
        this.nodeGrids = new Array(world.nodes.length);  // {heights, present} by node
        this.coarse = new Array(world.sectors.length);    // Uint16Array(64) by sector
        this.chunkLevel = Math.min(3, world.root >= 0 ? world.nodes[world.root].level : 0);
        this.chunks = new Map();   // key -> "loaded" | "failed"
        this.tiles = new Map();    // key -> {heights, used, levels} | {failed: true}
        this.pending = new Map();  // key -> {priority, released} of a request not answered yet
        this.useCount = 0;
        this.changed = null;       // called when data arrives
        this.failures = [];
    };

    var proto = v.TerrainData.prototype;

    // The chunk holding the grid of node `index` (a sector's coarse points: its level-0 node's).
    proto.chunkOf = function (index) {
        var node = this.world.nodes[index];
        var k = this.chunkLevel;
        if (node.level > k) {
            return "lod/top";
        }
        var shift = k - node.level;
        return "lod/" + k + "_" + Math.floor(node.p / Math.pow(2, shift)) + "_" +
            Math.floor(node.q / Math.pow(2, shift));
    };

    proto.chunkLoaded = function (key) {
        return this.chunks.get(key) === "loaded";
    };

    proto.tileKeyOf = function (sector) {
        return "tiles/0/" + Math.floor(sector.a / TileSectors) + "_" +
            Math.floor(sector.b / TileSectors);
    };

    // The tile that holds a sector's samples, or null while it is not here.
    proto.tileOf = function (sector) {
        var tile = this.tiles.get(this.tileKeyOf(sector));
        return tile && !tile.failed ? tile : null;
    };

    // Whether the site lists the sector's tile at all.
    proto.tileListed = function (sector) {
        var level0 = this.world.tiles[0];
        return level0 !== undefined &&
            level0.has(Math.floor(sector.a / TileSectors) + "_" + Math.floor(sector.b / TileSectors));
    };

    // A sector's grid at every `step`th sample from its tile: point (i, j) is sample
    // (i step, j step), at index i side + j.
    proto.sectorGrid = function (sector, step) {
        var tile = this.tileOf(sector);
        var cached = tile.levels.get(sector.index + "_" + step);
        if (cached) {
            return cached;
        }
        var side = (v.GridSide - 1) / step + 1;
        var grid = new Uint16Array(side * side);
        // Sample (r, c) is grid point (126 A + r - 504 X + 1, 126 B + c - 504 Y + 1) of tile (X, Y).
        var x0 = Stride * sector.a - TileCells * Math.floor(sector.a / TileSectors) + 1;
        var y0 = Stride * sector.b - TileCells * Math.floor(sector.b / TileSectors) + 1;
        for (var i = 0; i < side; i += 1) {
            for (var j = 0; j < side; j += 1) {
                grid[i * side + j] = tile.heights[(y0 + j * step) * TileSide + x0 + i * step];
            }
        }
        tile.levels.set(sector.index + "_" + step, grid);
        return grid;
    };

    // Takes over from the data of an earlier world of the same site what this one names at the
    // same version: loaded chunks (a chunk's bytes, its node and sector indices among them, are
    // those of its version) and level-0 tiles. The rest loads as frames want it.
    proto.adopt = function (previous) {
        var world = this.world;
        var before = previous.world;
        var self = this;
        var kept = new Set();
        previous.chunks.forEach(function (state, key) {
            if (state === "loaded" && world.chunks[key] !== undefined &&
                world.chunks[key] === before.chunks[key]) {
                kept.add(key);
                self.chunks.set(key, "loaded");
            }
        });
        world.nodes.forEach(function (node, index) {
            if (kept.has(self.chunkOf(index))) {
                self.nodeGrids[index] = previous.nodeGrids[index];
                if (node.level === 0 && node.sector >= 0) {
                    self.coarse[node.sector] = previous.coarse[node.sector];
                }
            }
        });
        var tilesNow = world.tiles[0];
        var tilesBefore = before.tiles[0];
        previous.tiles.forEach(function (tile, key) {
            var place = key.slice(key.lastIndexOf("/") + 1);
            if (!tile.failed && tilesNow !== undefined && tilesBefore !== undefined &&
                tilesNow.has(place) && tilesNow.get(place) === tilesBefore.get(place)) {
                // Its grids by sector index go: indices move when the world gains a sector.
                self.tiles.set(key, {heights: tile.heights, used: self.useCount, levels: new Map()});
            }
        });
    };

    // Marks what a frame draws from, so that the budget never drops it.
    proto.beginFrame = function () {
        this.useCount += 1;
    };

    proto.touchTile = function (tile) {
        tile.used = this.useCount;
    };

    // Asks for what a frame wanted and lacked (key -> {version, priority}), nearest first, and
    // lets go of what it no longer wants.
    proto.request = function (wanted) {
        var self = this;
        wanted.forEach(function (want, key) {
            var known = self.pending.get(key);
            if (known && !known.released) {
                if (want.priority < known.priority && !(self.tileSource && isTile(key))) {
                    // The same request, its priority raised.
                    known.priority = want.priority;
                    self.loader(key, want.version, want.priority).catch(function () {});
                }
                return;
            }
            self.pending.set(key, {priority: want.priority, released: false});
            self.ask(key, want).then(function (payload) {
                self.pending.delete(key);
                self.receive(key, payload);
            }, function (error) {
                self.pending.delete(key);
                if (!(error && error.message === "no longer wanted")) {
                    self.failed(key, error);
                }
                if (self.changed) {
                    self.changed();
                }
            });
        });
        this.pending.forEach(function (known, key) {
            if (!wanted.has(key) && !known.released && self.tileSource && isTile(key)) {
                known.released = true;
                var place = tilePlace(key);
                self.tileSource.release(0, place[0], place[1]);
            }
        });
        var mine = this.pending;
        this.dropWaiting(function (key) {
            return !mine.has(key) || wanted.has(key) || (self.tileSource && isTile(key));
        });
    };

    function isTile(key) {
        return key.indexOf("tiles/") === 0;
    }

    function tilePlace(key) {
        return key.slice(key.lastIndexOf("/") + 1).split("_").map(Number);
    }

    // The payload of `key`: a tile's decoded heights, or a chunk's bytes.
    proto.ask = function (key, want) {
        if (isTile(key)) {
            if (this.tileSource) {
                var place = tilePlace(key);
                return this.tileSource.get(0, place[0], place[1], want.priority).then(function (tile) {
                    if (!tile) {
                        throw new Error("data/" + key + ".js is not listed");
                    }
                    return tile.heights;
                });
            }
            return this.loader(key, want.version, want.priority).then(function (buffer) {
                var bytes = new Uint8Array(buffer);
                if (bytes.length !== 3 * TileSide * TileSide) {
                    throw new Error("data/" + key + ".js holds " + bytes.length + " bytes");
                }
                return Velmora.decodeHeights(bytes, 0, TileSide, TileSide);
            });
        }
        return this.loader(key, want.version, want.priority).then(function (buffer) {
            return new Uint8Array(buffer);
        });
    };

    proto.failed = function (key, error) {
        if (isTile(key)) {
            this.tiles.set(key, {failed: true});
        } else {
            this.chunks.set(key, "failed");
        }
        this.failures.push(key + ": " + (error && error.message));
    };

    // Requests of ours still loading (or still to be let go).
    proto.outstanding = function () {
        return this.pending.size;
    };

    proto.receive = function (key, payload) {
        try {
            if (isTile(key)) {
                this.tiles.set(key, {heights: payload, used: this.useCount, levels: new Map()});
                this.trimTiles();
            } else {
                this.readChunk(payload);
                this.chunks.set(key, "loaded");
            }
        } catch (error) {
            this.failed(key, error);
        }
        if (this.changed) {
            this.changed();
        }
    };

    // Node records (u32 index, u16 15 x 15 heights, u8 15 x 15 presence), u32 0xFFFFFFFF, then
    // sector records (u32 index, u16 8 x 8 coarse points).
    proto.readChunk = function (bytes) {
        var view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
        var at = 0;
        var Points = 15 * 15;
        for (;;) {
            var index = view.getUint32(at, true);
            at += 4;
            if (index === 0xFFFFFFFF) {
                break;
            }
            var heights = new Uint16Array(Points);
            for (var k = 0; k < Points; k += 1) {
                heights[k] = view.getUint16(at + 2 * k, true);
            }
            at += 2 * Points;
            var present = bytes.slice(at, at + Points);
            at += Points;
            var absent = present.indexOf(0) >= 0;
            this.nodeGrids[index] = {heights: heights, present: absent ? present : null};
        }
        while (at < bytes.length) {
            var sector = view.getUint32(at, true);
            at += 4;
            var coarse = new Uint16Array(64);
            for (var c = 0; c < 64; c += 1) {
                coarse[c] = view.getUint16(at + 2 * c, true);
            }
            at += 128;
            this.coarse[sector] = coarse;
        }
    };

    // Drops the least recently used tiles over the budget, never one the last frame used.
    proto.trimTiles = function () {
        var bytes = 0;
        var kept = [];
        this.tiles.forEach(function (tile, key) {
            if (!tile.failed) {
                bytes += tile.heights.byteLength;
                kept.push({key: key, tile: tile});
            }
        });
        if (bytes <= v.TileBudget) {
            return;
        }
        kept.sort(function (a, b) { return a.tile.used - b.tile.used; });
        for (var k = 0; k < kept.length && bytes > v.TileBudget; k += 1) {
            if (kept[k].tile.used >= this.useCount) {
                break;
            }
            bytes -= kept[k].tile.heights.byteLength;
            this.tiles.delete(kept[k].key);
        }
    };

    v.TerrainData.TileBand = TileBand;
})(Velmora.view3d);
