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

    // The map's name for assistive technology: the world's, and the keys.
    function mapLabel(world) {
        return "Map of " + world.world + ". The arrow keys pan, plus and minus zoom.";
    }

    function MapView(container, world, tiles, options) {
        this.world = world;
        this.tiles = tiles;
        this.options = options;
        this.ground = new Velmora.Ground(world, tiles);
        this.pointer = null;
        this.mark = null;
        this.markedPlace = null;
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
        var layersControl = L.control.layers(named, {"Sector grid": this.grid},
            {position: "topright"}).addTo(this.map);
        // By the keys: the list opens as its button takes focus and closes as focus leaves it.
        var layersBox = layersControl.getContainer();
        var toggle = layersBox.querySelector(".leaflet-control-layers-toggle");
        toggle.setAttribute("role", "button");
        toggle.setAttribute("aria-label", "Layers: shading and sector grid");
        toggle.addEventListener("focus", function () {
            // The open list hides the button: focus goes on to the shading chosen.
            layersControl.expand();
            var chosen = layersBox.querySelector(".leaflet-control-layers-base input:checked") ||
                layersBox.querySelector("input");
            if (chosen) {
                chosen.focus();
            }
        });
        layersBox.addEventListener("focusout", function (event) {
            if (!layersBox.contains(event.relatedTarget)) {
                layersControl.collapse();
            }
        });
        new Velmora.ScaleBar().addTo(this.map);

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
        // The container is what Leaflet's keys act on: a named, focusable application.
        container.setAttribute("role", "application");
        container.setAttribute("aria-roledescription", "map");
        container.setAttribute("aria-label", mapLabel(world));
        // A move by the keys has the ground at the view's centre told.
        var keyMove = false;
        container.addEventListener("keydown", function (event) {
            if (/^(Arrow|\+|-|=)/.test(event.key)) {
                keyMove = true;
            }
        });
        this.map.on("moveend", function () {
            if (keyMove) {
                keyMove = false;
                self.tellCentre();
            }
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
            if (self.options.onPlace) {
                self.options.onPlace("");
            }
        });
    }

    // A later world of the same site (the page's height tiles already follow it): the view stays
    // where it is; the tiles whose versions changed are drawn again, the box and the levels
    // grow with the world, the grid and the ground under the pointer follow.
    MapView.prototype.setWorld = function (world) {
        var rangeChanged = world.range.low !== this.world.range.low ||
            world.range.width !== this.world.range.width;
        // The zooms only ever widen for a world that grows.
        var minZoom = Math.min(-(world.levels - 1), this.map.getMinZoom());
        this.takeWorld(world, minZoom, function (current) {
            return Math.min(current, minZoom);
        });
        var shown = this.layers[this.shading];
        if (shown) {
            // A new shading range changes every tile's grey.
            shown.refresh(rangeChanged);
        }
        if (this.gridShown()) {
            this.grid.redraw();
        }
        this.readGround();
    };

    // Another world of the site (the page's height tiles already hold it): every tile drawn
    // anew, no old one kept meanwhile, the zooms the new world's; where the map looks is the
    // page's to say.
    MapView.prototype.replaceWorld = function (world) {
        this.clearMark();
        var minZoom = -(world.levels - 1);
        this.takeWorld(world, minZoom, function () {
            return minZoom;
        });
        for (var name in this.layers) {
            this.layers[name].redraw();
        }
        this.grid.redraw();
        this.map.getContainer().setAttribute("aria-label", mapLabel(world));
        this.readGround();
    };

    // The world's box, levels and range for the map, its layers and the grid, each one's lowest
    // zoom as `lowest` makes it of the one it has.
    MapView.prototype.takeWorld = function (world, minZoom, lowest) {
        this.world = world;
        this.ground = new Velmora.Ground(world, this.tiles);
        this.worldBounds = boxBounds(world.box);
        if (minZoom !== this.map.getMinZoom()) {
            this.map.setMinZoom(minZoom);
        }
        for (var name in this.layers) {
            var layer = this.layers[name];
            layer.options.bounds = this.worldBounds;
            layer.options.levels = world.levels;
            layer.options.range = world.range;
            layer.options.minNativeZoom = lowest(layer.options.minNativeZoom);
            layer.options.minZoom = layer.options.minNativeZoom;
        }
        this.grid.options.world = world;
        this.grid.options.bounds = this.worldBounds;
        this.grid.options.minZoom = lowest(this.grid.options.minZoom);
    };

    // The ground under the pointer, once the level-0 tile it lies in is there.
    MapView.prototype.readGround = function () {
        if (!this.pointer) {
            return;
        }
        var at = sampleOfLatLng(this.map.containerPointToLatLng(this.pointer));
        var x = at.x * Velmora.Shading.SampleSpacing;
        var y = at.y * Velmora.Shading.SampleSpacing;
        if (this.options.onPlace) {
            this.options.onPlace(this.ground.place(x, y));
        }
        var found = this.ground.lookup(x, y);
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

    // The ground at the view's centre, to options.onCentreGround, once its tile is there.
    MapView.prototype.tellCentre = function () {
        if (!this.options.onCentreGround) {
            return;
        }
        var at = this.view();
        var found = this.ground.lookup(at.x * Velmora.Shading.SampleSpacing,
            at.y * Velmora.Shading.SampleSpacing);
        var self = this;
        if (found.ready) {
            found.ready.then(function () {
                self.tellCentre();
            }, function () {});
            return;
        }
        this.options.onCentreGround(found.text);
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

    // Centres the map on sample coordinates (x, y) at `zoom`, kept within the map's zooms and
    // within reach of the world.
    MapView.prototype.setView = function (x, y, zoom) {
        var clamped = Math.min(Math.max(zoom, this.map.getMinZoom()), this.map.getMaxZoom());
        var at = this.reachable(x, y);
        this.map.setView(latLngOfSample(at.x, at.y), clamped, {animate: false});
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

    // Places (sectors) beyond the world's box a link may still centre the map on: as many as
    // the box is wide, and this many at least. Farther off lies nothing to find.
    var ReachPlaces = 64;

    // The map's centre for sample coordinates (x, y): where they are when the world is within
    // reach of them, else the nearest point that is.
    MapView.prototype.reachable = function (x, y) {
        var box = this.world.box;
        var reach = Stride * Math.max(box.columnsA, box.rowsB, ReachPlaces);
        var firstX = Stride * box.firstA;
        var firstY = Stride * box.firstB;
        var lastX = Stride * (box.firstA + box.columnsA);
        var lastY = Stride * (box.firstB + box.rowsB);
        return {
            x: Math.min(Math.max(x, firstX - reach), lastX + reach),
            y: Math.min(Math.max(y, firstY - reach), lastY + reach),
        };
    };

    // Whether sector A_B lies within reach of the world (see reachable).
    MapView.prototype.reaches = function (a, b) {
        var middleX = Stride * a + Stride / 2;
        var middleY = Stride * b + Stride / 2;
        var at = this.reachable(middleX, middleY);
        return at.x === middleX && at.y === middleY;
    };

    // Outlines sector A_B with `label` beside it, until the user moves the map.
    MapView.prototype.markSector = function (a, b, label) {
        this.clearMark();
        var outline = L.rectangle(boundsOfSamples(Stride * a, Stride * b, SectorSamples,
            SectorSamples), {color: "#ffd23f", weight: 3, fill: false, interactive: false,
            className: "velmora-mark"});
        outline.bindTooltip(label, {permanent: true, direction: "top",
            className: "velmora-mark-label", interactive: false});
        outline.addTo(this.map);
        this.mark = outline;
        this.markedPlace = {a: a, b: b};
        var self = this;
        var clear = function () {
            self.clearMark();
        };
        this.markClear = clear;
        this.map.once("movestart zoomstart", clear);
    };

    MapView.prototype.clearMark = function () {
        if (this.mark) {
            this.map.off("movestart zoomstart", this.markClear);
            this.map.removeLayer(this.mark);
            this.mark = null;
            this.markedPlace = null;
        }
    };

    // The sector outlined now, {a, b}, or null.
    MapView.prototype.marked = function () {
        return this.markedPlace || null;
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
