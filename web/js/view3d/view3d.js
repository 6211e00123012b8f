// The 3D view of the whole world: velmora-world's view (src/world_view/world_canvas.cpp) in a
// page. It draws on change only: a frame when the camera, the size, the shading or the data
// changed, and frames in a row only while the camera flies or glides.
//
//   var view = new Velmora.View3D(container, world, {tiles: heightTiles});
//
// world: as Velmora.openWorld gives it; options.tiles (optional): the page's shared cache of
// decoded height tiles (get, release), so that the map and this view decode a tile once.
//   view.show(); view.setCamera({x, y, z, yaw, pitch}); view.onGround = function (text) {...};
"use strict";

var Velmora = window.Velmora || {};
window.Velmora = Velmora;

(function (v) {
    // Frames with at most this much error on screen, in pixels, as the window draws them.
    var MaxErrorPixels = 1.5;
    // A world's first frame is coarse, so that it comes at once; each next one halves the bound
    // until it is the view's (as the window ramps up).
    var FirstFrameErrorPixels = 8.0;
    var Shadings = ["height", "hillshade", "both"];
    // The view straight down that finds the ground below the camera: small, and asking for the
    // finest level there is.
    var ProbeSide = 16;
    var ProbeError = 0.01;

    function View3D(container, world, options) {
        if (!(this instanceof View3D)) {
            return new View3D(container, world, options);
        }
        var self = this;
        this.container = container;
        this.world = world;
        this.extent = world.extent;
        var files = Velmora.worldData(world.folder);
        this.data = new v.TerrainData(world, files.load, files.dropWaiting,
            options && options.tiles ? options.tiles : null);
        this.data.changed = function () { self.requestDraw(); };
        this.cameraNow = v.overviewCamera(world.extent);
        this.shading = "height";
        this.maxError = MaxErrorPixels;
        this.rampBound = FirstFrameErrorPixels;
        this.visible = false;
        this.dirty = true;
        this.frameRequest = 0;
        this.lastTick = 0;
        this.thrust = {forward: 0, right: 0, up: 0, fast: false};
        this.glide = null;
        this.glideStart = 0;
        this.pointerAt = null;
        this.groundTextNow = "";
        this.lastFrame = null;
        this.renderer = null;
        this.failure = null;
        this.onCameraChange = null;
        this.onGround = null;
        // Called once, when the first frame with ground in it is drawn.
        this.onFirstPicture = null;
        // Called with the error when the view cannot draw at all (no renderer could be made).
        this.onFailure = null;
        // Called with the pointer's position on the ground and its distance ("x X, y Y, D units
        // away"; "" over the sky).
        this.onPlace = null;
        this.placeNow = "";
        // Called with the ground at the view's centre after a flight by the keys.
        this.onCentreGround = null;
        this.tellCentre = false;
        this.pictureTold = false;
        this.frameMilliseconds = 0;
        // performance.now() when the view was made, and when the first frame with ground in it
        // was drawn.
        this.createdAt = performance.now();
        this.firstPictureAt = null;

        var canvas = document.createElement("canvas");
        canvas.className = "velmora-view3d";
        canvas.tabIndex = 0;
        canvas.style.display = "none";
        canvas.style.width = "100%";
        canvas.style.height = "100%";
        canvas.style.touchAction = "none";
        canvas.setAttribute("role", "application");
        canvas.setAttribute("aria-roledescription", "3D view");
        canvas.setAttribute("aria-label", "The world in 3D. W, A, S, D or the arrow keys fly, " +
            "E and Q rise and sink, Home shows the whole world.");
        container.appendChild(canvas);
        this.canvas = canvas;

        this.groundReady = world.ground === null || world.ground === undefined;
        this.groundImage = null;
        if (!this.groundReady) {
            Velmora.load("ground", world.ground, -1).then(function (buffer) {
                var view = new DataView(buffer);
                var width = view.getUint32(0, true);
                var height = view.getUint32(4, true);
                self.groundImage = {width: width, height: height,
                    rgba: new Uint8Array(buffer, 8, width * height * 4)};
                if (self.renderer) {
                    self.applyGround();
                }
                self.groundReady = true;
                self.requestDraw();
            }, function () {
                // Grey terrain, as the viewer without its texture.
                self.groundReady = true;
                self.requestDraw();
            });
        }

        // A lost context (the GPU reset, the browser reclaimed it) takes every GL object with
        // it: the renderer is made anew once the context is back.
        this.contextLost = false;
        canvas.addEventListener("webglcontextlost", function (event) {
            event.preventDefault();
            self.contextLost = true;
            self.renderer = null;
            self.dirty = true;
        });
        canvas.addEventListener("webglcontextrestored", function () {
            self.contextLost = false;
            self.requestDraw();
        });

        var pilot = this.pilot();
        this.detach = [
            Velmora.controls.flightKeyboard(canvas, pilot),
            Velmora.controls.flightMouse(canvas, pilot),
            Velmora.controls.flightTouch(canvas, pilot),
        ];
        if (window.ResizeObserver) {
            this.resizeObserver = new ResizeObserver(function () { self.requestDraw(); });
            this.resizeObserver.observe(container);
        }
    }

    var proto = View3D.prototype;

    // What the controls do to the view.
    proto.pilot = function () {
        var self = this;
        return {
            focus: function () { self.canvas.focus({preventScroll: true}); },
            turn: function (dx, dy) {
                self.glide = null;
                v.turn(self.cameraNow, dx, dy);
                self.moved();
            },
            slide: function (dx, dy) {
                self.glide = null;
                v.slide(self.cameraNow, dx, dy, v.paceScale(self.heightAboveGround()));
                self.moved();
            },
            lower: function (rotation) {
                self.glide = null;
                v.lower(self.cameraNow, rotation, v.paceScale(self.heightAboveGround()));
                self.moved();
            },
            pointer: function (x, y) {
                self.pointerAt = x === null || x === undefined ? null : {x: x, y: y};
                self.updateGround();
            },
            glideTo: function (x, y) { self.glideTo(x, y); },
            thrustChanged: function (thrust) {
                var was = v.thrustAny(self.thrust);
                self.thrust = thrust;
                if (was && !v.thrustAny(thrust)) {
                    // The keys let go: the ground now at the view's centre is told.
                    self.tellCentre = true;
                    self.requestDraw();
                }
                if (v.thrustAny(thrust)) {
                    self.glide = null;
                    if (!was) {
                        self.lastTick = performance.now();
                    }
                    self.requestDraw();
                }
            },
            home: function () { self.goHome(); },
        };
    };

    // -- The page's API.

    proto.show = function () {
        this.visible = true;
        this.canvas.style.display = "block";
        // The keys fly at once (after the button that switched to 3D, say), unless a field
        // is being typed into or chosen from.
        var active = document.activeElement;
        if (!active || !/^(INPUT|SELECT|TEXTAREA)$/.test(active.tagName)) {
            this.canvas.focus({preventScroll: true});
        }
        this.requestDraw();
    };

    proto.hide = function () {
        this.visible = false;
        this.canvas.style.display = "none";
        this.thrust = {forward: 0, right: 0, up: 0, fast: false};
        this.glide = null;
        if (this.frameRequest) {
            cancelAnimationFrame(this.frameRequest);
            this.frameRequest = 0;
        }
        // What is still waiting to load gives way to the map's tiles; the next frame shown asks
        // again for what it wants.
        this.data.request(new Map());
    };

    // A camera as `velmora render --camera` takes it, shown as it is (not lifted above the
    // ground: a link gives the picture it names), but within reach of the world.
    proto.setCamera = function (camera) {
        var values = [camera.x, camera.y, camera.z, camera.yaw, camera.pitch].map(Number);
        if (!values.every(isFinite)) {
            throw new Error("a camera needs finite x, y, z, yaw and pitch");
        }
        this.glide = null;
        this.cameraNow = v.keepInBox({x: values[0], y: values[1], z: values[2], yaw: values[3],
            pitch: values[4]}, this.extent);
        this.changedCamera();
    };

    proto.camera = function () {
        return v.copyCamera(this.cameraNow);
    };

    proto.setShading = function (shading) {
        if (Shadings.indexOf(shading) < 0) {
            throw new Error("shading is height, hillshade or both, not " + shading);
        }
        this.shading = shading;
        this.requestDraw();
    };

    // A later world of the same site (a page served live): what it names at the same versions
    // is kept, the rest loads as frames want it. The old world stays on screen until the new
    // one's tree can be walked.
    proto.setWorld = function (world) {
        var self = this;
        var files = Velmora.worldData(world.folder);
        var next = new v.TerrainData(world, files.load, files.dropWaiting, this.data.tileSource);
        next.adopt(this.data);
        this.nextData = next;
        var swap = function () {
            if (self.nextData !== next) {
                return;
            }
            self.nextData = null;
            self.data.changed = null;
            self.data = next;
            self.world = world;
            self.extent = world.extent;
            next.changed = function () { self.requestDraw(); };
            self.requestDraw();
        };
        var root = world.root >= 0 ? next.chunkOf(world.root) : null;
        if (root === null || next.chunks.has(root)) {
            swap();
            return;
        }
        next.changed = function () {
            if (next.chunks.has(root)) {
                swap();
            }
        };
        next.request(new Map([[root, {version: world.chunks[root], priority: -1}]]));
    };

    // Another world of the site: nothing of the last one's is kept (its patches' keys are
    // indices that mean other places here), and the camera shows the whole new one. Called
    // before the page's shared height tiles follow the new world, so that what the last one
    // waited for is let go of there.
    proto.replaceWorld = function (world) {
        this.nextData = null;
        this.data.changed = null;
        this.data.request(new Map());
        var files = Velmora.worldData(world.folder);
        this.data = new v.TerrainData(world, files.load, files.dropWaiting, this.data.tileSource);
        var self = this;
        this.data.changed = function () { self.requestDraw(); };
        this.world = world;
        this.extent = world.extent;
        if (this.renderer) {
            this.renderer.forgetPatches();
        }
        this.lastFrame = null;
        this.rampBound = FirstFrameErrorPixels;
        this.pictureTold = false;
        this.goHome();
    };

    // The error on screen allowed for far ground, in pixels (0: every sample everywhere).
    proto.setMaxError = function (pixels) {
        var value = Number(pixels);
        if (!(value >= 0) || !isFinite(value)) {
            throw new Error("the error bound is a number of pixels, 0 or more");
        }
        this.maxError = value;
        this.requestDraw();
    };

    // Whether the picture on screen is the whole one: drawn for the present camera and
    // settings, with no data it wants still loading.
    proto.settled = function () {
        return this.visible && !this.dirty && this.renderer !== null && this.lastFrame !== null &&
            this.groundReady &&
            this.data.outstanding() === 0 && this.rampBound <= this.maxError &&
            this.glide === null && !v.thrustAny(this.thrust);
    };

    // Back to the overview of the whole world.
    proto.goHome = function () {
        this.glide = null;
        this.cameraNow = v.overviewCamera(this.extent);
        this.moved();
    };

    // The last picture as {width, height, rgba}, row 0 the top (for tests and measurements).
    proto.picture = function () {
        return this.renderer ? this.renderer.readPicture() : null;
    };

    // What the last frame drew: {patches, triangles, uploads, milliseconds}, the time the
    // browser took to select and draw it (the GPU finished after drawNow only); and when the
    // view was made and its first picture came (performance.now()).
    proto.frameStats = function () {
        var stats = this.renderer ? Object.assign({}, this.renderer.stats) : {};
        stats.milliseconds = this.frameMilliseconds;
        stats.createdAt = this.createdAt;
        stats.firstPictureAt = this.firstPictureAt;
        return stats;
    };

    // Draws a frame at once and waits for the GPU to finish it (for measurements).
    proto.drawNow = function () {
        this.draw(true);
        return this.frameStats();
    };

    proto.groundText = function () {
        return this.groundTextNow;
    };

    // -- Inside.

    proto.heightAboveGround = function () {
        var ground = this.groundBelow(this.cameraNow.x, this.cameraNow.y);
        return this.cameraNow.z - (ground === null ? this.extent[2] : ground);
    };

    // The ground below a point from the data here, never waiting for any: where a sector's
    // samples are not loaded, its coarse level answers, a little off.
    proto.groundBelow = function (x, y) {
        var e = this.extent;
        if (x < e[0] || y < e[1] || x > e[3] || y > e[4]) {
            return null;
        }
        var probe = {x: x, y: y, z: e[5] + 10, yaw: 0, pitch: Math.PI};
        var below = v.select(this.data, probe, ProbeSide, ProbeSide, ProbeError, {probe: true});
        var ground = v.groundAt(below.patches, x, y);
        return ground === null ? null : ground.height;
    };

    proto.changedCamera = function () {
        this.requestDraw();
        if (this.onCameraChange) {
            this.onCameraChange(this.camera());
        }
    };

    proto.moved = function () {
        v.keepInBox(this.cameraNow, this.extent);
        v.keepAboveGround(this.cameraNow, this.groundBelow(this.cameraNow.x, this.cameraNow.y));
        this.changedCamera();
    };

    proto.requestDraw = function () {
        this.dirty = true;
        if (!this.visible || this.frameRequest) {
            return;
        }
        var self = this;
        this.frameRequest = requestAnimationFrame(function (now) {
            self.frameRequest = 0;
            self.tick(now);
        });
    };

    proto.tick = function (now) {
        if (!this.visible) {
            return;
        }
        var seconds = Math.min(Math.max((now - this.lastTick) / 1000, 0), v.LongestTick);
        this.lastTick = now;
        if (v.thrustAny(this.thrust)) {
            v.fly(this.cameraNow, this.thrust, seconds, this.heightAboveGround(),
                v.topSpeed(this.extent));
            this.moved();
        } else if (this.glide) {
            var elapsed = (now - this.glideStart) / 1000;
            this.cameraNow = this.glide.at(elapsed);
            if (this.glide.over(elapsed)) {
                this.glide = null;
            }
            this.moved();
        }
        this.draw(false);
        if (v.thrustAny(this.thrust) || this.glide || this.rampBound > this.maxError) {
            this.requestDraw();
        }
    };

    proto.applyGround = function () {
        try {
            this.renderer.setGround(this.groundImage);
        } catch (error) {
            // Grey terrain, as the viewer when its texture cannot be had.
            this.failure = error.message;
        }
    };

    // The canvas at the container's size in device pixels, as the window's PixelSize.
    proto.fitCanvas = function () {
        var scale = window.devicePixelRatio || 1;
        var width = Math.max(1, Math.round(this.canvas.clientWidth * scale));
        var height = Math.max(1, Math.round(this.canvas.clientHeight * scale));
        if (this.canvas.width !== width || this.canvas.height !== height) {
            this.canvas.width = width;
            this.canvas.height = height;
        }
    };

    proto.draw = function (finish) {
        if (!this.visible || this.contextLost || this.failure && !this.renderer) {
            return;
        }
        var started = performance.now();
        if (!this.renderer) {
            try {
                this.renderer = new v.Renderer(this.canvas);
            } catch (error) {
                this.failure = error.message;
                this.container.setAttribute("data-failure", error.message);
                if (this.onFailure) {
                    this.onFailure(error);
                }
                return;
            }
            if (this.groundImage) {
                this.applyGround();
            }
        }
        this.fitCanvas();
        var width = this.canvas.width;
        var height = this.canvas.height;
        var camera = this.camera();
        var ramping = this.rampBound > this.maxError;
        var frame = v.select(this.data, camera, width, height, ramping ? this.rampBound : this.maxError);
        if (ramping && frame.walked) {
            // Halved down to a pixel, then done, whatever the bound (0 included).
            this.rampBound = this.rampBound / 2 < 1 ? 0 : this.rampBound / 2;
        }
        var wanted = frame.wanted;
        if (v.thrustAny(this.thrust)) {
            // Where the camera will be in a second loads after what this frame wants.
            var ahead = this.camera();
            v.fly(ahead, this.thrust, 1.0, this.heightAboveGround(), v.topSpeed(this.extent));
            var later = v.select(this.data, ahead, width, height, this.maxError, {probe: true});
            var last = 0;
            wanted.forEach(function (want) { last = Math.max(last, want.priority); });
            later.wanted.forEach(function (want, key) {
                if (!wanted.has(key)) {
                    wanted.set(key, {version: want.version, priority: last + 1 + want.priority});
                }
            });
        }
        var depths = v.skirtDepths(frame.patches);
        this.renderer.draw(frame.patches, depths, camera, this.world.range, this.shading);
        if (finish) {
            this.renderer.waitForGpu();
        }
        this.dirty = false;
        this.lastFrame = {patches: frame.patches, depths: depths, camera: camera, width: width,
            height: height};
        if (ramping) {
            // Drawn at a coarser bound than the view's, though the ramp may end with it: the
            // picture is not the whole one until a frame at the view's own bound follows.
            this.requestDraw();
        }
        this.data.request(wanted);
        this.frameMilliseconds = performance.now() - started;
        if (this.firstPictureAt === null && frame.patches.length > 0) {
            this.firstPictureAt = performance.now();
        }
        // Ground on screen, or a view of the sky that waits for nothing.
        if (!this.pictureTold && (frame.patches.length > 0 || wanted.size === 0)) {
            this.pictureTold = true;
            if (this.onFirstPicture) {
                this.onFirstPicture();
            }
        }
        this.updateGround();
        if (this.tellCentre && !v.thrustAny(this.thrust)) {
            this.tellCentre = false;
            if (this.onCentreGround) {
                this.onCentreGround(this.groundTextAt(width / 2, height / 2));
            }
        }
    };

    // The ground at a pixel of the last frame, in the status line's words ("" for none).
    proto.groundTextAt = function (px, py) {
        var frame = this.lastFrame;
        var point = v.pickPoint(frame.patches, frame.depths, frame.camera, frame.width,
            frame.height, Math.floor(px), Math.floor(py));
        var ground = point ? v.groundAt(frame.patches, point[0], point[1]) : null;
        return ground ? v.groundText(point[0], point[1], ground.nearest, ground.height) : "";
    };

    // The ground under the pointer, told when its text changes.
    proto.updateGround = function () {
        var text = "";
        var place = "";
        var frame = this.lastFrame;
        if (this.visible && frame && this.pointerAt) {
            var scale = frame.width / Math.max(1, this.canvas.clientWidth);
            var px = Math.floor(this.pointerAt.x * scale);
            var py = Math.floor(this.pointerAt.y * scale);
            if (px >= 0 && py >= 0 && px < frame.width && py < frame.height) {
                var point = v.pickPoint(frame.patches, frame.depths, frame.camera, frame.width,
                    frame.height, px, py);
                if (point) {
                    // How far the ground under the pointer is: the 3D view's scale.
                    var away = Math.hypot(point[0] - frame.camera.x, point[1] - frame.camera.y,
                        point[2] - frame.camera.z);
                    place = "x " + v.formatFixed1(point[0]) + ", y " + v.formatFixed1(point[1]) +
                        ", " + Math.round(away) + " units away";
                    var ground = v.groundAt(frame.patches, point[0], point[1]);
                    if (ground) {
                        text = v.groundText(point[0], point[1], ground.nearest, ground.height);
                    }
                }
            }
        }
        if (place !== this.placeNow) {
            this.placeNow = place;
            if (this.onPlace) {
                this.onPlace(place);
            }
        }
        if (text !== this.groundTextNow) {
            this.groundTextNow = text;
            if (this.onGround) {
                this.onGround(text);
            }
        }
    };

    proto.glideTo = function (x, y) {
        var frame = this.lastFrame;
        if (!frame) {
            return;
        }
        var scale = frame.width / Math.max(1, this.canvas.clientWidth);
        var point = v.pickPoint(frame.patches, frame.depths, frame.camera, frame.width, frame.height,
            Math.floor(x * scale), Math.floor(y * scale));
        if (!point) {
            return;  // the sky
        }
        this.glide = new v.Glide(this.cameraNow, v.lookingAt(this.cameraNow, point[0], point[1], point[2]),
            v.GlideSeconds);
        this.glideStart = performance.now();
        this.requestDraw();
    };

    Velmora.View3D = View3D;
})(Velmora.view3d);
