// The 2D map: Leaflet with CRS.Simple, one map unit a world sample (LatLng(-gy, gx), x to the
// right and y downwards, as `velmora map` draws), the ground in three shadings as base layers,
// the sector grid as an overlay, and the ground under the pointer for the status line.
"use strict";

(function () {
    var Stride = 126;
    var SectorSamples = 127;
    var MaxZoom = 3;

    // A map point, in map units, of sample coordinates (gx, gy): pixel p shows sample p and
    // spans [p, p + 1), so sample p stands at p + 0.5.
    function latLngOfSample(gx, gy) {
        return L.latLng(-(gy + 0.5), gx + 0.5);
    }

    function sampleOfLatLng(latLng) {
        return {x: latLng.lng - 0.5, y: -latLng.lat - 0.5};
    }

    // The map units a run of samples covers: from the first's pixel to the last's.
    function boundsOfSamples(firstX, firstY, countX, countY) {
        return L.latLngBounds(L.latLng(-firstY, firstX), L.latLng(-(firstY + countY), firstX + countX));
    }

    // options: onView(view) after each move or zoom, onShading(name) when the user picks
    // another, onGrid(shown), onGround(text) as the ground under the pointer changes (null
    // while its tile loads).
    // The map units of the world's box.
    function boxBounds(box) {
        return boundsOfSamples(Stride * box.firstA, Stride * box.firstB,
            Stride * box.columnsA + 1, Stride * box.rowsB + 1);
    }

    function MapView(container, world, tiles, options) {
        this.world = world;
        this.tiles = tiles;
        this.options = options;
        this.ground = new Velmora.Ground(world, tiles);
        this.pointer = null;
        this.worldBounds = boxBounds(world.box);

        var minZoom = -(world.levels - 1);
        this.map = L.map(container, {
            crs: L.CRS.Simple,
            minZoom: minZoom,
            maxZoom: MaxZoom,
            zoomSnap: 0.25,
            zoomDelta: 1,
            // Leaflet's attribution links to its web site: nothing here points outside.
            attributionControl: false,
            keyboard: true,
            fadeAnimation: false,
        });

        this.layers = {};
        var named = {};
        var self = this;
        Velmora.Shading.names.forEach(function (name) {
            self.layers[name] = new Velmora.TileLayer({
                tiles: tiles,
                range: world.range,
                shading: name,
                levels: world.levels,
                bounds: self.worldBounds,
                maxZoom: MaxZoom,
            });
            named[Velmora.Shading.labels[name]] = self.layers[name];
        });
        this.grid = new Velmora.GridLayer({
            world: world,
            bounds: this.worldBounds,
            minZoom: minZoom,
            maxZoom: MaxZoom,
        });
        this.shading = null;
        L.control.layers(named, {"Sector grid": this.grid}, {position: "topright"}).addTo(this.map);

        this.map.on("baselayerchange", function (event) {
            for (var name in self.layers) {
                if (self.layers[name] === event.layer && name !== self.shading) {
                    self.shading = name;
                    self.options.onShading(name);
                }
            }
        });
        this.map.on("overlayadd overlayremove", function () {
            self.options.onGrid(self.gridShown());
        });
        this.map.on("moveend", function () {
            // A drag by a fraction of a pixel leaves the map between pixels, where a reload,
            // which starts on whole pixels, could not put it back: it settles on the nearest.
            // (panBy moves by whole pixels only.)
            var pane = self.map.getPane("mapPane");
            var at = L.DomUtil.getPosition(pane);
            if (at.x !== Math.round(at.x) || at.y !== Math.round(at.y)) {
                L.DomUtil.setPosition(pane, at.round());
                self.map.fire("move");
            }
            self.options.onView(self.view());
        });
        this.map.on("mousemove", function (event) {
            self.pointer = event.containerPoint;
            self.readGround();
        });
        this.map.on("move", function () {
            if (self.pointer) {
                self.readGround();
            }
        });
        container.addEventListener("mouseleave", function () {
            self.pointer = null;
            self.options.onGround("");
        });
    }

    // A later world of the same site (the page's height tiles already follow it): the view stays
    // where it is; the tiles whose versions changed are drawn again, the box and the levels
    // grow with the world, the grid and the ground under the pointer follow.
    MapView.prototype.setWorld = function (world) {
        var rangeChanged = world.range.low !== this.world.range.low ||
            world.range.width !== this.world.range.width;
        this.world = world;
        this.ground = new Velmora.Ground(world, this.tiles);
        this.worldBounds = boxBounds(world.box);
        var minZoom = -(world.levels - 1);
        if (minZoom < this.map.getMinZoom()) {
            this.map.setMinZoom(minZoom);
        }
        for (var name in this.layers) {
            var layer = this.layers[name];
            layer.options.bounds = this.worldBounds;
            layer.options.levels = world.levels;
            layer.options.range = world.range;
            layer.options.minNativeZoom = Math.min(layer.options.minNativeZoom, minZoom);
            layer.options.minZoom = layer.options.minNativeZoom;
        }
        var shown = this.layers[this.shading];
        if (shown) {
            // A new shading range changes every tile's grey.
            shown.refresh(rangeChanged);
        }
        this.grid.options.world = world;
        this.grid.options.bounds = this.worldBounds;
        this.grid.options.minZoom = Math.min(this.grid.options.minZoom, minZoom);
        if (this.gridShown()) {
            this.grid.redraw();
        }
        this.readGround();
    };

    // The ground under the pointer, once the level-0 tile it lies in is there.
    MapView.prototype.readGround = function () {
        if (!this.pointer) {
            return;
        }
        var at = sampleOfLatLng(this.map.containerPointToLatLng(this.pointer));
        var found = this.ground.lookup(at.x * Velmora.Shading.SampleSpacing,
            at.y * Velmora.Shading.SampleSpacing);
        if (found.ready) {
            this.options.onGround(null);
            var self = this;
            var pointer = this.pointer;
            found.ready.then(function () {
                if (self.pointer === pointer) {
                    self.readGround();
                }
            }, function () {});
            return;
        }
        this.options.onGround(found.text);
    };

    MapView.prototype.setShading = function (name) {
        if (name === this.shading) {
            return;
        }
        if (this.shading) {
            this.map.removeLayer(this.layers[this.shading]);
        }
        this.shading = name;
        this.map.addLayer(this.layers[name]);
    };

    MapView.prototype.setGrid = function (shown) {
        if (shown !== this.gridShown()) {
            if (shown) {
                this.map.addLayer(this.grid);
            } else {
                this.map.removeLayer(this.grid);
            }
        }
    };

    MapView.prototype.gridShown = function () {
        return this.map.hasLayer(this.grid);
    };

    // Where the map looks: {x, y} the sample coordinates at the view's centre, zoom, and the
    // samples the view spans across and down.
    MapView.prototype.view = function () {
        var centre = sampleOfLatLng(this.map.getCenter());
        var zoom = this.map.getZoom();
        var size = this.map.getSize();
        var scale = Math.pow(2, zoom);
        return {x: centre.x, y: centre.y, zoom: zoom, width: size.x / scale, height: size.y / scale};
    };

    // Centres the map on sample coordinates (x, y) at `zoom`, kept within the map's zooms.
    MapView.prototype.setView = function (x, y, zoom) {
        var clamped = Math.min(Math.max(zoom, this.map.getMinZoom()), this.map.getMaxZoom());
        this.map.setView(latLngOfSample(x, y), clamped, {animate: false});
    };

    // The zoom at which `samples` samples span the view's height, within the map's zooms.
    MapView.prototype.zoomShowing = function (samples) {
        var size = this.map.getSize();
        var zoom = Math.round(4 * Math.log2(Math.max(size.y, 1) / Math.max(samples, 1e-6))) / 4;
        return Math.min(Math.max(zoom, this.map.getMinZoom()), this.map.getMaxZoom());
    };

    // Sector A_B filling most of the view, whether the world holds it or not.
    MapView.prototype.showSector = function (a, b) {
        this.map.fitBounds(boundsOfSamples(Stride * a, Stride * b, SectorSamples, SectorSamples),
            {padding: [24, 24], animate: false});
    };

    MapView.prototype.showWorld = function () {
        this.map.fitBounds(this.worldBounds, {padding: [8, 8], animate: false});
    };

    // After the map's container was hidden or resized.
    MapView.prototype.resized = function () {
        this.map.invalidateSize({pan: false});
    };

    Velmora.MapView = MapView;
})();
