// The page's address after "#": which world, which view, where, and how it is shaded, so that a
// reload or a shared link returns to the same view.
//
//   #world=NAME                   world NAME (encoded as a URL's query encodes it), whole
//   #sector=A_B                   the map centred on sector A_B, which fills most of the view
//   #map=X,Y,ZOOM                 the map centred on world sample (X, Y) at ZOOM (0: a pixel a
//                                 sample, -Z: pyramid level Z)
//   #camera=X,Y,Z,YAW,PITCH       the 3D view from that camera (velmora's camera string)
//
// the last three optionally after world=NAME& (without it: the site's first world), each
// optionally followed by &shading=height|hillshade|both and &grid=1 (the sector grid).
"use strict";

(function () {
    // One address written at most this often while the view moves.
    var Interval = 250;

    // Longer addresses are no link this page writes: read no further.
    var MaxLength = 1000;
    var MaxShown = 40;
    // A decimal number as the page writes them (no hex, no "Infinity", no empty parts).
    var Decimal = /^[-+]?(\d+(\.\d*)?|\.\d+)([eE][-+]?\d{1,3})?$/;
    // Sector places have a few digits; more are no place any world holds.
    var SectorName = /^(\d{1,7})_(\d{1,7})$/;

    function numbers(text, count) {
        var parts = text.split(",");
        if (parts.length !== count) {
            return null;
        }
        var values = [];
        for (var k = 0; k < count; k += 1) {
            var part = parts[k].trim();
            var value = Decimal.test(part) ? Number(part) : NaN;
            if (!isFinite(value)) {
                return null;
            }
            values.push(value);
        }
        return values;
    }

    // A part of an address as a message may quote it: short, and in plain characters.
    function quoted(text) {
        var shown = text.length > MaxShown ? text.slice(0, MaxShown) + "..." : text;
        return shown.replace(/[^\x20-\x7e]/g, "?");
    }

    // What an address asks for: {sector: {a, b}} or {map: {x, y, zoom}} or {camera: {...}}, or
    // none of them; with world (the name exactly as the address spells it, decoded), shading
    // and grid when it names them. A place that does not parse is
    // left out and named in `unreadable` (as the address spelled it), so that the page can say
    // so. Numbers are only finite here: whether the world can hold them is the page's to judge.
    function parse(hash) {
        var wanted = {};
        var text = String(hash).replace(/^#/, "");
        if (text.length > MaxLength) {
            wanted.unreadable = quoted(text);
            return wanted;
        }
        var params;
        try {
            params = new URLSearchParams(text);
        } catch (error) {
            wanted.unreadable = quoted(text);
            return wanted;
        }
        params.forEach(function (value, key) {
            var parsed;
            if (key === "world") {
                if (wanted.world === undefined) {
                    wanted.world = value;
                }
            } else if (key === "sector") {
                var match = SectorName.exec(value.trim());
                if (match) {
                    wanted.sector = {a: Number(match[1]), b: Number(match[2])};
                } else {
                    wanted.unreadable = quoted(key + "=" + value);
                }
            } else if (key === "map") {
                if ((parsed = numbers(value, 3))) {
                    wanted.map = {x: parsed[0], y: parsed[1], zoom: parsed[2]};
                } else {
                    wanted.unreadable = quoted(key + "=" + value);
                }
            } else if (key === "camera") {
                if ((parsed = numbers(value, 5))) {
                    wanted.camera = {x: parsed[0], y: parsed[1], z: parsed[2], yaw: parsed[3],
                        pitch: parsed[4]};
                } else {
                    wanted.unreadable = quoted(key + "=" + value);
                }
            } else if (key === "shading" && Velmora.Shading.isName(value)) {
                wanted.shading = value;
            } else if (key === "grid") {
                wanted.grid = value === "1";
            }
        });
        return wanted;
    }

    // Trims a number's digits to `decimals` places and drops trailing zeros.
    function short(value, decimals) {
        var text = value.toFixed(decimals);
        if (text.indexOf(".") >= 0) {
            text = text.replace(/\.?0+$/, "");
        }
        return text === "-0" ? "0" : text;
    }

    // The address of a state: {map: {x, y, zoom}}, {camera} or {sector: {a, b}}, after world
    // (a name, when the site holds several) and with shading and grid.
    function format(state) {
        var parts = [];
        if (state.world !== undefined && state.world !== null) {
            parts.push(new URLSearchParams([["world", state.world]]).toString());
        }
        if (state.sector) {
            parts.push("sector=" + state.sector.a + "_" + state.sector.b);
        } else if (state.camera) {
            var c = state.camera;
            // As velmora-world copies a camera: "%.3f,%.3f,%.3f,%.6f,%.6f".
            parts.push("camera=" + [c.x.toFixed(3), c.y.toFixed(3), c.z.toFixed(3),
                c.yaw.toFixed(6), c.pitch.toFixed(6)].join(","));
        } else if (state.map) {
            // A thousandth of a sample is within a hundredth of a pixel at every zoom the map
            // has: a reload finds the same whole pixels.
            parts.push("map=" + [short(state.map.x, 3), short(state.map.y, 3),
                short(state.map.zoom, 2)].join(","));
        }
        if (state.shading) {
            parts.push("shading=" + state.shading);
        }
        if (state.grid) {
            parts.push("grid=1");
        }
        return "#" + parts.join("&");
    }

    // Writes the address as the view moves (history.replaceState: no history entry per move),
    // at most once per Interval, the latest state last.
    function Address() {
        this.pending = null;
        this.timer = null;
        this.lastWrite = 0;
    }

    Address.parse = parse;
    Address.quoted = quoted;
    Address.format = format;

    Address.prototype.read = function () {
        return parse(window.location.hash);
    };

    Address.prototype.write = function (state) {
        this.pending = format(state);
        if (this.timer !== null) {
            return;
        }
        var wait = Math.max(0, this.lastWrite + Interval - Date.now());
        var self = this;
        this.timer = setTimeout(function () {
            self.timer = null;
            self.flush();
        }, wait);
    };

    Address.prototype.flush = function () {
        if (this.pending === null) {
            return;
        }
        if (this.pending !== window.location.hash) {
            history.replaceState(history.state, "", this.pending);
        }
        this.pending = null;
        this.lastWrite = Date.now();
    };

    Velmora.Address = Address;
})();
