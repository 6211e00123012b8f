// The page: loads the world, opens the view its address asks for, and switches between the map
// and the 3D view, keeping the place, the shading and the address in step.
"use strict";

(function () {
    var DefaultShading = "height";

    function element(id) {
        return document.getElementById(id);
    }

    function showMessage(text) {
        var message = element("message");
        message.textContent = text;
        message.hidden = false;
    }

    // Whether this browser can draw the 3D view at all.
    function webgl2() {
        try {
            return !!document.createElement("canvas").getContext("webgl2");
        } catch (error) {
            return false;
        }
    }

    function App(world) {
        this.world = world;
        this.tiles = new Velmora.HeightTiles(world);
        this.ground = new Velmora.Ground(world, this.tiles);
        this.status = Velmora.Status.of(element("status"));
        this.address = new Velmora.Address();
        this.mode = "map";
        this.shading = DefaultShading;
        this.view3d = null;
        this.modeButtons = Array.prototype.slice.call(document.querySelectorAll("[data-mode]"));
        this.shadingChoice = element("shading");

        var self = this;
        this.map = new Velmora.MapView(element("map"), world, this.tiles, {
            onView: function () {
                if (self.mode === "map") {
                    self.remember();
                }
            },
            onShading: function (name) {
                self.setShading(name);
            },
            onGrid: function () {
                self.remember();
            },
            onGround: function (text) {
                if (self.mode === "map") {
                    self.status.show(text);
                }
            },
        });

        this.can3d = typeof Velmora.View3D === "function" && webgl2();
        this.modeButtons.forEach(function (button) {
            if (button.dataset.mode === "3d" && !self.can3d) {
                button.disabled = true;
                button.title = typeof Velmora.View3D === "function" ?
                    "This browser has no WebGL 2" : "The 3D view is not part of this site";
            }
            button.addEventListener("click", function () {
                self.switchTo(button.dataset.mode);
            });
        });
        this.shadingChoice.addEventListener("change", function () {
            self.setShading(self.shadingChoice.value);
        });
        window.addEventListener("hashchange", function () {
            self.apply(self.address.read(), false);
        });
        window.addEventListener("resize", function () {
            if (self.mode === "map") {
                self.map.resized();
            }
        });
        document.title = world.world + " - Velmora";

        this.started = false;
        this.apply(this.address.read(), true);
        this.started = true;
        this.remember();
    }

    // Opens what an address asks for; the first time, the whole world when it asks for nothing.
    App.prototype.apply = function (wanted, first) {
        this.setShading(wanted.shading || (first ? DefaultShading : this.shading));
        if (wanted.grid !== undefined || first) {
            this.map.setGrid(!!wanted.grid);
        }
        if (wanted.camera) {
            if (this.can3d) {
                this.show3d(wanted.camera);
                return;
            }
            // Without a 3D view, the map shows the place the camera looks at.
            this.showMap();
            this.placeMapUnder(wanted.camera);
            return;
        }
        this.showMap();
        if (wanted.sector) {
            this.map.showSector(wanted.sector.a, wanted.sector.b);
        } else if (wanted.map) {
            this.map.setView(wanted.map.x, wanted.map.y, wanted.map.zoom);
        } else if (first) {
            this.map.showWorld();
        }
        this.remember();
    };

    // A later world of the same site (a page served live): both views keep their place and
    // show what changed.
    App.prototype.setWorld = function (world) {
        this.world = world;
        this.tiles.setWorld(world);
        this.ground = new Velmora.Ground(world, this.tiles);
        this.map.setWorld(world);
        if (this.view3d) {
            this.view3d.setWorld(world);
        }
        document.title = world.world + " - Velmora";
    };

    App.prototype.switchTo = function (mode) {
        if (mode === this.mode) {
            return;
        }
        if (mode === "3d" && this.can3d) {
            this.show3d(Velmora.Handover.cameraAboveMap(this.world, this.ground, this.map.view()));
        } else if (mode === "map") {
            var camera = this.view3d.camera();
            this.showMap();
            this.placeMapUnder(camera);
        }
        this.remember();
    };

    App.prototype.placeMapUnder = function (camera) {
        var place = Velmora.Handover.mapUnderCamera(this.world, this.ground, camera);
        this.map.setView(place.x, place.y, this.map.zoomShowing(place.samples));
    };

    App.prototype.showMap = function () {
        var wasHidden = this.mode !== "map";
        this.mode = "map";
        if (this.view3d) {
            this.view3d.hide();
        }
        element("view3d").hidden = true;
        element("map").hidden = false;
        if (wasHidden) {
            this.map.resized();
        }
        this.status.show("");
        this.markMode();
    };

    App.prototype.show3d = function (camera) {
        var container = element("view3d");
        element("map").hidden = true;
        container.hidden = false;
        this.mode = "3d";
        this.status.show("");
        this.markMode();
        if (!this.view3d) {
            var self = this;
            try {
                this.view3d = new Velmora.View3D(container, this.world, {tiles: this.tiles});
            } catch (error) {
                this.can3d = false;
                showMessage("The 3D view cannot start: " + error.message);
                this.showMap();
                return;
            }
            this.view3d.onCameraChange = function () {
                if (self.mode === "3d") {
                    self.remember();
                }
            };
            this.view3d.onGround = function (text) {
                if (self.mode === "3d") {
                    self.status.show(text);
                }
            };
        }
        this.view3d.setShading(this.shading);
        this.view3d.setCamera(camera);
        this.view3d.show();
    };

    App.prototype.markMode = function () {
        var mode = this.mode;
        this.modeButtons.forEach(function (button) {
            button.setAttribute("aria-pressed", String(button.dataset.mode === mode));
        });
    };

    App.prototype.setShading = function (name) {
        if (!Velmora.Shading.isName(name)) {
            return;
        }
        var changed = name !== this.shading;
        this.shading = name;
        this.shadingChoice.value = name;
        this.map.setShading(name);
        if (this.view3d) {
            this.view3d.setShading(name);
        }
        if (changed) {
            this.remember();
        }
    };

    // Puts the view shown now into the address.
    App.prototype.remember = function () {
        if (!this.started) {
            return;
        }
        var state = {shading: this.shading, grid: this.map.gridShown()};
        if (this.mode === "3d" && this.view3d) {
            state.camera = this.view3d.camera();
        } else {
            var view = this.map.view();
            state.map = {x: view.x, y: view.y, zoom: view.zoom};
        }
        this.address.write(state);
    };

    // data/world.js is written last and replaced on every update: it is asked for afresh on
    // every load so that no cache serves an old one.
    function loadWorld() {
        var script = document.createElement("script");
        script.src = "data/world.js?t=" + Date.now();
        script.onerror = function () {
            showMessage("This folder holds no world: data/world.js cannot be loaded.");
        };
        document.head.appendChild(script);
    }

    Velmora.onWorld(function (world) {
        if (Velmora.app) {
            Velmora.app.setWorld(world);
        }
    });
    Velmora.whenWorld().then(function (world) {
        Velmora.app = new App(world);
    }, function (error) {
        showMessage("The world cannot be read: " + error.message);
    });
    loadWorld();
})();
