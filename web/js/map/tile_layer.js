// The map's ground: each 504-pixel tile drawn on a canvas from its height tile, in one of the
// three shadings. Zoom -Z shows pyramid level Z; zooming in past 0 stretches level 0.
"use strict";

(function () {
    var Pixels = 504;

    // options: tiles (a Velmora.HeightTiles), range (the world's shading range), shading,
    // levels, bounds (the world's box as LatLngBounds). Leaflet's events tell when tiles are
    // drawn: "load" once all in view are.
    Velmora.TileLayer = L.GridLayer.extend({
        options: {
            tileSize: Pixels,
            maxNativeZoom: 0,
            noWrap: true,
            // Tiles stay until their replacements are drawn.
            updateWhenZooming: false,
            keepBuffer: 1,
            className: "velmora-ground",
        },

        initialize: function (options) {
            L.GridLayer.prototype.initialize.call(this, options);
            this.options.minNativeZoom = -(options.levels - 1);
            this.options.minZoom = this.options.minNativeZoom;
            // The canvases (by Leaflet's keys) that wait for their height tiles.
            this.waiting = new Map();
            this.on("tileunload", this.forget, this);
        },

        createTile: function (coords, done) {
            var level = -coords.z;
            var tiles = this.options.tiles;
            if (!tiles.has(level, coords.x, coords.y)) {
                // No ground anywhere in it: an empty element, not a canvas.
                var empty = document.createElement("div");
                Promise.resolve().then(function () { done(null, empty); });
                return empty;
            }
            var canvas = document.createElement("canvas");
            canvas.width = Pixels;
            canvas.height = Pixels;
            // The version the canvas is to show: a later world may want another before this
            // one is drawn.
            canvas.velmoraVersion = tiles.version(level, coords.x, coords.y);
            var tileKey = this._tileCoordsToKey(coords);
            this.waiting.set(tileKey, canvas);
            var self = this;
            var settle = function () {
                if (self.waiting.get(tileKey) === canvas) {
                    self.waiting.delete(tileKey);
                }
            };
            tiles.get(level, coords.x, coords.y, this.priority(coords)).then(function (tile) {
                settle();
                self.draw(canvas, tile);
                done(null, canvas);
            }, function (error) {
                settle();
                // A tile that left the view before its turn was dropped on purpose.
                if (error.message !== "no longer wanted") {
                    // Made anew by the next refresh (a served page's server may be back).
                    canvas.velmoraVersion = null;
                    done(error, canvas);
                }
            });
            return canvas;
        },

        // Nearer the view's centre loads sooner.
        priority: function (coords) {
            var map = this._map;
            var centre = map.project(map.getCenter(), coords.z).divideBy(Pixels);
            return Math.abs(coords.x + 0.5 - centre.x) + Math.abs(coords.y + 0.5 - centre.y);
        },

        draw: function (canvas, tile) {
            if (tile.version !== canvas.velmoraVersion) {
                return;
            }
            var context = canvas.getContext("2d");
            var image = context.createImageData(Pixels, Pixels);
            Velmora.Shading.shadeGrid(tile.heights, tile.coverage, Velmora.HeightTiles.Side,
                Velmora.Shading.spacingAt(tile.level), this.options.range, this.options.shading,
                image.data);
            context.putImageData(image, 0, 0);
        },

        // After the world changed (options.tiles and options.bounds are the new world's): each
        // tile shown whose version changed (every one with `all`) is drawn again where it is, the
        // old picture kept until the new one is there; places that had no ground and have some
        // now, or lie in the world's new box, get their tiles.
        refresh: function (all) {
            if (!this._map) {
                return;
            }
            var tiles = this.options.tiles;
            var self = this;
            var emptied = [];
            Object.keys(this._tiles).forEach(function (tileKey) {
                var held = self._tiles[tileKey];
                var level = -held.coords.z;
                var x = held.coords.x;
                var y = held.coords.y;
                var version = tiles.version(level, x, y);
                var canvas = held.el;
                if (canvas.velmoraVersion === version && !(all && version !== undefined)) {
                    return;
                }
                if (!(canvas instanceof HTMLCanvasElement) || canvas.velmoraVersion === null) {
                    // Nothing was shown there (no ground, or its data failed to load): the tile
                    // is made anew below.
                    emptied.push(tileKey);
                    return;
                }
                canvas.velmoraVersion = version;
                if (version === undefined) {
                    canvas.getContext("2d").clearRect(0, 0, Pixels, Pixels);
                    return;
                }
                tiles.get(level, x, y, self.priority(held.coords)).then(function (tile) {
                    if (tile) {
                        self.draw(canvas, tile);
                    }
                }, function () {
                    // The old picture stays; the tile is drawn anew when it next comes into
                    // view.
                });
            });
            emptied.forEach(function (tileKey) {
                self._removeTile(tileKey);
            });
            this._update();
        },

        // A tile that left the view no longer waits for its data.
        forget: function (event) {
            var tileKey = this._tileCoordsToKey(event.coords);
            if (this.waiting.delete(tileKey)) {
                this.options.tiles.release(-event.coords.z, event.coords.x, event.coords.y);
            }
        },
    });
})();
