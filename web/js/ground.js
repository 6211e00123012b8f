// The ground under a point, read as velmora-world's status bar reads it:
// "sector A_B, sample S, height H". The sector comes from the point's world units; S is the
// nearest full-resolution sample of the sector holding the point; H the surface height there,
// its cell cut along the (i, j)-(i + 1, j + 1) diagonal, in world units with one decimal. Off
// every sector there is no sample: the text is empty. The samples come from the level-0 height
// tiles, whatever the view shows.
"use strict";

(function () {
    var Stride = 126;
    var SectorUnits = 1260;
    var SampleSpacing = 10;
    var HeightScale = 0.25;
    var TileSectors = 4;
    var TileSamples = 504;

    // printf's "%.1f": the value's exact binary fraction rounded to one decimal, ties to even
    // (0.25 gives "0.2", as velmora-world shows it; toFixed would give "0.3").
    function fixed1(value) {
        var negative = value < 0 || Object.is(value, -0);
        // Exact for every double that can round to anything but 0.0.
        var exact = Math.abs(value).toFixed(100);
        var point = exact.indexOf(".");
        var kept = BigInt(exact.slice(0, point + 2).replace(".", ""));
        var rest = exact.slice(point + 2);
        var first = rest.charCodeAt(0) - 48;
        var beyond = /[1-9]/.test(rest.slice(1));
        if (first > 5 || (first === 5 && (beyond || kept % 2n === 1n))) {
            kept += 1n;
        }
        var digits = kept.toString().padStart(2, "0");
        return (negative ? "-" : "") + digits.slice(0, -1) + "." + digits.slice(-1);
    }

    function text(x, y, sample, height) {
        return "sector " + Math.floor(x / SectorUnits) + "_" + Math.floor(y / SectorUnits) +
            ", sample " + sample + ", height " + fixed1(height);
    }

    // The places (A or B) whose sector spans sample coordinate s, edges included.
    function placesAt(s) {
        var place = Math.floor(s / Stride);
        return s === place * Stride ? [place, place - 1] : [place];
    }

    function Ground(world, tiles) {
        this.world = world;
        this.tiles = tiles;
    }

    // The drawn sector whose square (edges included) holds sample coordinates (sx, sy), or null.
    Ground.prototype.sectorHolding = function (sx, sy) {
        var as = placesAt(sx);
        var bs = placesAt(sy);
        for (var k = 0; k < as.length; k += 1) {
            for (var l = 0; l < bs.length; l += 1) {
                var sector = this.world.sectorAt.get(as[k] + "_" + bs[l]);
                if (sector) {
                    return sector;
                }
            }
        }
        return null;
    };

    // The ground at world (x, y): {text, sample, height} on a sector, {text: ""} off every
    // sector, or {ready}, a promise that resolves once the level-0 tile it needs is loaded (ask
    // again then).
    Ground.prototype.lookup = function (x, y) {
        var sx = x / SampleSpacing;
        var sy = y / SampleSpacing;
        if (!isFinite(sx) || !isFinite(sy)) {
            return {text: ""};
        }
        var sector = this.sectorHolding(sx, sy);
        if (!sector) {
            return {text: ""};
        }
        var tileX = Math.floor(sector.a / TileSectors);
        var tileY = Math.floor(sector.b / TileSectors);
        var tile = this.tiles.peek(0, tileX, tileY);
        if (!tile) {
            return {ready: this.tiles.get(0, tileX, tileY, -1)};
        }
        var side = Velmora.HeightTiles.Side;
        // The sector's sample (r, c) in the tile's grid.
        var originX = Stride * sector.a - TileSamples * tileX + 1;
        var originY = Stride * sector.b - TileSamples * tileY + 1;
        var sampleAt = function (r, c) {
            return tile.heights[(originY + c) * side + originX + r];
        };
        var u = sx - Stride * sector.a;
        var v = sy - Stride * sector.b;
        var i = Math.min(Math.floor(u), Stride - 1);
        var j = Math.min(Math.floor(v), Stride - 1);
        var fu = u - i;
        var fv = v - j;
        var h00 = sampleAt(i, j);
        var h11 = sampleAt(i + 1, j + 1);
        var sample;
        if (fu >= fv) {
            var h10 = sampleAt(i + 1, j);
            sample = h00 + fu * (h10 - h00) + fv * (h11 - h10);
        } else {
            var h01 = sampleAt(i, j + 1);
            sample = h00 + fv * (h01 - h00) + fu * (h11 - h01);
        }
        // u and v are never negative here, where Math.round is lround.
        var nearest = sampleAt(Math.round(u), Math.round(v));
        var height = sample * HeightScale;
        return {text: text(x, y, nearest, height), sample: nearest, height: height};
    };

    // Where world (x, y) lies, in words beside the ground's: its position on a sector ("x X, y
    // Y"), else why there is no ground: "no sector at A_B" (a hole in the world's box),
    // "sector A_B could not be read", or "outside the world".
    Ground.prototype.place = function (x, y) {
        if (!isFinite(x) || !isFinite(y)) {
            return "";
        }
        if (this.sectorHolding(x / SampleSpacing, y / SampleSpacing)) {
            return "x " + fixed1(x) + ", y " + fixed1(y);
        }
        var a = Math.floor(x / SectorUnits);
        var b = Math.floor(y / SectorUnits);
        var box = this.world.box;
        if (a < box.firstA || b < box.firstB || a >= box.firstA + box.columnsA ||
            b >= box.firstB + box.rowsB) {
            return "outside the world";
        }
        var name = a + "_" + b;
        var named = function (sector) { return sector.name === name; };
        if (this.world.sectors.some(named) || (this.world.unreadable || []).some(named)) {
            return "sector " + name + " could not be read";
        }
        return "no sector at " + name;
    };

    Ground.fixed1 = fixed1;
    Ground.text = text;
    Velmora.Ground = Ground;
})();
