// The page of one world at a time: opens the view its address asks for, and switches between the
// map and the 3D view, keeping the place, the shading and the address in step. Which world it
// shows is js/choice.js's to say.
"use strict";

(function () {
    var DefaultShading = "height";

    function element(id) {
        return document.getElementById(id);
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
        this.notice = new Velmora.Notice(element("notice"), element("notice-text"),
            element("notice-close"));
        this.hint = new Velmora.Hint(element("hint"), element("hint-close"));
        this.legend = new Velmora.Legend(element("legend"));

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
            onCentreGround: function (text) {
                self.announceCentre(text);
            },
            onPlace: function (text) {
                if (self.mode === "map") {
                    self.status.showPlace(text);
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
        element("whole-world").addEventListener("click", function () {
            self.showWholeWorld();
        });
        element("goto").addEventListener("submit", function (event) {
            event.preventDefault();
            self.goTo(element("goto-sector").value);
        });
        element("copy-link").addEventListener("click", function () {
            self.copyLink();
        });
        element("save-picture").addEventListener("click", function () {
            self.savePicture().catch(function (error) {
                self.notice.show("The picture cannot be saved: " + error.message);
            });
        });
        var fullScreen = element("full-screen");
        if (document.fullscreenEnabled) {
            fullScreen.addEventListener("click", function () {
                if (document.fullscreenElement) {
                    document.exitFullscreen();
                } else {
                    document.documentElement.requestFullscreen().catch(function () {});
                }
            });
            document.addEventListener("fullscreenchange", function () {
                fullScreen.setAttribute("aria-pressed", String(!!document.fullscreenElement));
            });
        } else {
            fullScreen.hidden = true;
        }
        // A message about how the page opened goes once the user moves on.
        this.map.map.on("dragstart zoomstart", function () {
            if (self.started) {
                self.notice.hide();
            }
        });
        window.addEventListener("resize", function () {
            if (self.mode === "map") {
                self.map.resized();
            }
        });
        this.named();

        this.started = false;
        Velmora.Loading.done("world");
        Velmora.Loading.start("map");
        this.apply(this.address.read(), true);
        this.started = true;
        this.remember();
        this.watchFirstTiles();
    }

    // The map's first tiles end its loading; a view with none to load has nothing to wait for.
    App.prototype.watchFirstTiles = function () {
        var layers = this.map.layers;
        var done = function () {
            Velmora.Loading.done("map");
            for (var name in layers) {
                layers[name].off("load", done);
            }
        };
        for (var name in layers) {
            layers[name].on("load", done);
        }
        var self = this;
        setTimeout(function () {
            var shown = layers[self.map.shading];
            if (self.mode !== "map" || !shown || !shown.isLoading()) {
                done();
            }
        }, 0);
    };

    App.prototype.announceCentre = function (text) {
        this.status.announce("At the view's centre: " + (text || "no ground"));
    };

    // Back to the whole world: the map fitting it, or the 3D view's overview camera.
    App.prototype.showWholeWorld = function () {
        this.notice.hide();
        this.map.clearMark();
        if (this.mode === "3d" && this.view3d) {
            this.view3d.goHome();
            this.view3d.canvas.focus({preventScroll: true});
        } else {
            this.map.showWorld();
        }
    };

    // "Go to sector": what a #sector= link does, or words for what is not a sector's name.
    App.prototype.goTo = function (typed) {
        var text = String(typed).trim();
        if (text === "") {
            return;
        }
        var wanted = Velmora.Address.parse("#sector=" + encodeURIComponent(text));
        if (!wanted.sector) {
            this.notice.show("\u201c" + Velmora.Address.quoted(text) + "\u201d is no sector: " +
                "type its name as A_B, for example 3_7.");
            return;
        }
        var hash = Velmora.Address.format({world: this.linkedWorld(), sector: wanted.sector});
        if (window.location.hash === hash) {
            this.apply(wanted, false);
        } else {
            window.location.hash = hash;
        }
    };

    // The address of the view shown now (written at once), on the clipboard.
    App.prototype.copyLink = function () {
        this.remember();
        this.address.flush();
        var self = this;
        return Velmora.Share.copyLink(window.location.href).then(function (words) {
            self.notice.show(words);
        });
    };

    // A PNG of the view shown now, named after the world and the place.
    App.prototype.savePicture = function () {
        var canvas;
        var place;
        if (this.mode === "3d" && this.view3d) {
            this.view3d.drawNow();
            var picture = this.view3d.picture();
            if (!picture) {
                return Promise.reject(new Error("the 3D view has drawn nothing yet"));
            }
            canvas = Velmora.Picture.ofPicture(picture);
            var c = this.view3d.camera();
            place = "camera_" + [c.x, c.y, c.z].map(function (value) {
                return value.toFixed(0);
            }).join("_");
        } else {
            canvas = Velmora.Picture.ofMap(element("map"));
            var view = this.map.view();
            place = "map_" + view.x.toFixed(0) + "_" + view.y.toFixed(0) + "_z" + view.zoom;
        }
        return Velmora.Picture.save(canvas, Velmora.Picture.fileName(this.world.world, place));
    };

    // Words for sector A_B as a link names it.
    App.prototype.sectorWords = function (a, b) {
        var name = a + "_" + b;
        if (this.world.sectorAt.has(name)) {
            return "sector " + name;
        }
        var known = this.world.sectors.some(function (sector) { return sector.name === name; }) ||
            (this.world.unreadable || []).some(function (sector) { return sector.name === name; });
        return known ? "sector " + name + " could not be read" :
            "no sector " + name + " in this world yet";
    };

    // Opens what an address asks for; the first time, the whole world when it asks for nothing.
    // A place the world cannot hold is brought within reach of it, or answered in words and
    // the whole world shown.
    App.prototype.apply = function (wanted, first) {
        this.setShading(wanted.shading || (first ? DefaultShading : this.shading));
        if (wanted.grid !== undefined || first) {
            this.map.setGrid(!!wanted.grid);
        }
        this.notice.hide();
        this.map.clearMark();
        if (wanted.camera) {
            if (this.can3d) {
                this.show3d(wanted.camera);
                return;
            }
            // Without a 3D view, the map shows the place the camera looks at.
            this.showMap();
            this.placeMapUnder(Velmora.view3d.keepInBox(Velmora.view3d.copyCamera(wanted.camera),
                this.world.extent));
            this.notice.show("This link opens the 3D view, which needs WebGL 2; this browser " +
                "has none. The map shows the place instead.");
            this.remember();
            return;
        }
        this.showMap();
        if (wanted.sector) {
            var a = wanted.sector.a;
            var b = wanted.sector.b;
            if (this.map.reaches(a, b)) {
                this.map.showSector(a, b);
                this.map.markSector(a, b, this.sectorWords(a, b));
            } else {
                this.map.showWorld();
                this.notice.show("No sector " + a + "_" + b + " in this world: the whole " +
                    "world is shown.");
            }
        } else if (wanted.map) {
            var at = this.map.reachable(wanted.map.x, wanted.map.y);
            if (at.x === wanted.map.x && at.y === wanted.map.y) {
                this.map.setView(at.x, at.y, wanted.map.zoom);
            } else {
                this.map.showWorld();
                this.notice.show("This link's place lies far outside the world: the whole " +
                    "world is shown.");
            }
        } else if (wanted.unreadable !== undefined) {
            this.map.showWorld();
            this.notice.show("This link's place (" + wanted.unreadable + ") cannot be read: " +
                "the whole world is shown.");
        } else if (first) {
            this.map.showWorld();
        }
        this.remember();
    };

    // Keys to the view shown (after the list of worlds closed on it).
    App.prototype.focusView = function () {
        var view = this.mode === "3d" && this.view3d ? this.view3d.canvas : element("map");
        view.focus({preventScroll: true});
    };

    // The page named after the world shown.
    App.prototype.named = function () {
        document.title = this.world.world + " - Velmora";
        element("world-name").textContent = this.world.world;
    };

    // Another world of the site, in the view shown now (the map or the 3D view), whole.
    App.prototype.changeWorld = function (world) {
        this.notice.hide();
        this.map.clearMark();
        // The 3D view lets go of what it waited for before the shared tiles follow.
        if (this.view3d) {
            this.view3d.replaceWorld(world);
        }
        this.world = world;
        this.tiles.setWorld(world);
        this.ground = new Velmora.Ground(world, this.tiles);
        this.map.replaceWorld(world);
        this.legend.show(world.range, this.shading);
        this.named();
        if (this.mode === "3d" && this.view3d) {
            Velmora.Loading.start("3d");
        } else {
            this.map.showWorld();
        }
        this.remember();
    };

    // A later version of the world shown (a page served live): both views keep their place and
    // show what changed.
    App.prototype.setWorld = function (world) {
        this.world = world;
        this.tiles.setWorld(world);
        this.ground = new Velmora.Ground(world, this.tiles);
        this.map.setWorld(world);
        this.legend.show(world.range, this.shading);
        // A sector a link named may have come (or gone) with the update.
        var marked = this.map.marked();
        if (marked) {
            this.map.markSector(marked.a, marked.b, this.sectorWords(marked.a, marked.b));
        }
        if (this.view3d) {
            this.view3d.setWorld(world);
        }
        this.named();
    };

    App.prototype.switchTo = function (mode) {
        if (mode === this.mode) {
            return;
        }
        this.map.clearMark();
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
        this.hint.follow(false);
        Velmora.Loading.done("3d");
        if (wasHidden) {
            this.map.resized();
        }
        this.status.show("");
        this.status.showPlace("");
        this.markMode();
    };

    App.prototype.show3d = function (camera) {
        var container = element("view3d");
        element("map").hidden = true;
        container.hidden = false;
        this.mode = "3d";
        this.status.show("");
        this.status.showPlace("");
        this.markMode();
        if (!this.view3d) {
            var self = this;
            try {
                this.view3d = new Velmora.View3D(container, this.world, {tiles: this.tiles});
            } catch (error) {
                this.view3d = null;
                this.cannot3d(camera, error);
                return;
            }
            this.view3d.onFailure = function (error) {
                self.cannot3d(self.view3d.camera(), error);
            };
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
            this.view3d.onPlace = function (text) {
                if (self.mode === "3d") {
                    self.status.showPlace(text);
                }
            };
            this.view3d.onCentreGround = function (text) {
                self.announceCentre(text);
            };
            Velmora.Loading.start("3d");
            this.view3d.onFirstPicture = function () {
                Velmora.Loading.done("3d");
            };
        }
        this.hint.follow(true);
        this.view3d.setShading(this.shading);
        this.view3d.setCamera(camera);
        this.view3d.show();
    };

    // The 3D view cannot draw here: the map at the place the camera looks at, and why.
    App.prototype.cannot3d = function (camera, error) {
        this.can3d = false;
        this.modeButtons.forEach(function (button) {
            if (button.dataset.mode === "3d") {
                button.disabled = true;
                button.title = "The 3D view cannot start: " + error.message;
            }
        });
        this.showMap();
        this.placeMapUnder(Velmora.view3d.keepInBox(Velmora.view3d.copyCamera(camera),
            this.world.extent));
        this.notice.show("The 3D view cannot start (" + error.message + "): the map shows the " +
            "place instead.");
        this.remember();
    };

    App.prototype.markMode = function () {
        var mode = this.mode;
        this.modeButtons.forEach(function (button) {
            button.setAttribute("aria-pressed", String(button.dataset.mode === mode));
        });
        // The style keeps the 3D view's overlays fewer on a small screen.
        document.body.dataset.view = mode;
    };

    App.prototype.setShading = function (name) {
        if (!Velmora.Shading.isName(name)) {
            return;
        }
        var changed = name !== this.shading;
        this.shading = name;
        this.shadingChoice.value = name;
        this.map.setShading(name);
        this.legend.show(this.world.range, name);
        if (this.view3d) {
            this.view3d.setShading(name);
        }
        if (changed) {
            this.remember();
        }
    };

    // The world as the page's links name it: in a site of one, not at all.
    App.prototype.linkedWorld = function () {
        return Velmora.Site.several() ? this.world.world : undefined;
    };

    // Puts the view shown now into the address.
    App.prototype.remember = function () {
        if (!this.started) {
            return;
        }
        var state = {world: this.linkedWorld(), shading: this.shading, grid: this.map.gridShown()};
        if (this.mode === "3d" && this.view3d) {
            state.camera = this.view3d.camera();
        } else {
            var view = this.map.view();
            state.map = {x: view.x, y: view.y, zoom: view.zoom};
        }
        this.address.write(state);
    };

    Velmora.App = App;
})();
