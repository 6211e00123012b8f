// The patches that draw the world from a camera, as the desktop's WorldModel::Select picks
// them (src/world/world_model.cpp, State::Visit and Outside): the level tree walked from the
// root; outside the view, nothing; a node whose error on screen is within the bound is drawn
// whole, else its children are visited; a sector is drawn at the coarsest of its levels within
// the bound, and at its coarsest level while its samples are not here. Here a node is also
// drawn whole while its children's chunk is not here.
"use strict";

var Velmora = window.Velmora || {};
window.Velmora = Velmora;
Velmora.view3d = Velmora.view3d || {};

(function (v) {
    // A sector's levels keep every s-th sample: the divisors of 126 from 18 down to 1.
    v.LevelSteps = [18, 9, 6, 3, 2, 1];
    v.NodeSide = 15;

    function outside(view, minX, minY, minZ, maxX, maxY, maxZ) {
        var camera = view.camera;
        var corners = [];
        for (var k = 0; k < 8; k += 1) {
            corners.push(v.toView(view.rotation, ((k & 1) !== 0 ? maxX : minX) - camera.x,
                ((k & 2) !== 0 ? maxY : minY) - camera.y, ((k & 4) !== 0 ? maxZ : minZ) - camera.z));
        }
        function all(test) {
            for (var c = 0; c < 8; c += 1) {
                if (!test(corners[c])) {
                    return false;
                }
            }
            return true;
        }
        return all(function (p) { return p[2] < v.NearPlane; }) ||
            all(function (p) { return p[0] > p[2] * view.tanX; }) ||
            all(function (p) { return p[0] < -p[2] * view.tanX; }) ||
            all(function (p) { return p[1] > p[2] * view.tanY; }) ||
            all(function (p) { return p[1] < -p[2] * view.tanY; });
    }

    function axis(value, low, high) {
        return value < low ? low - value : (value > high ? value - high : 0);
    }

    function want(wanted, key, version, priority) {
        var known = wanted.get(key);
        if (!known || priority < known.priority) {
            wanted.set(key, {version: version, priority: priority});
        }
    }

    function Walk(data, view, frame) {
        this.data = data;
        this.world = data.world;
        this.view = view;
        this.frame = frame;
    }

    Walk.prototype.nodePatch = function (index, node, originX, originY) {
        var grid = this.data.nodeGrids[index];
        var chunk = this.data.chunkOf(index);
        this.frame.patches.push({key: "n" + index, version: this.world.chunks[chunk],
            originX: originX, originY: originY, step: 9 * Math.pow(2, node.level), side: v.NodeSide,
            heights: grid.heights, present: grid.present, skirtDepth: this.world.skirtDepth});
    };

    Walk.prototype.visit = function (index) {
        var world = this.world;
        var data = this.data;
        var view = this.view;
        var node = world.nodes[index];
        var scale = Math.pow(2, node.level);
        var originX = v.SectorStride * (world.box.firstA + node.p * scale);
        var originY = v.SectorStride * (world.box.firstB + node.q * scale);
        var span = v.SampleSpacing * (v.SectorStride * scale);
        var minX = v.SampleSpacing * originX;
        var minY = v.SampleSpacing * originY;
        // The box leaves the skirts out: a gap they close lies between two edges that both join
        // samples of this node's edge, so within its heights.
        var minZ = v.SampleHeight * node.least;
        var maxZ = v.SampleHeight * node.greatest;
        if (outside(view, minX, minY, minZ, minX + span, minY + span, maxZ)) {
            return;
        }
        var dx = axis(view.camera.x, minX, minX + span);
        var dy = axis(view.camera.y, minY, minY + span);
        var dz = axis(view.camera.z, minZ, maxZ);
        var distance = Math.max(v.NearPlane, Math.sqrt(dx * dx + dy * dy + dz * dz));
        // A vertical error as it would show seen from the side at the patch's nearest point.
        function onScreen(errorSamples) {
            return errorSamples * v.SampleHeight * view.pixelsPerUnit / distance;
        }

        if (node.level > 0) {
            if (view.maxError > 0 && onScreen(node.error) <= view.maxError) {
                this.nodePatch(index, node, originX, originY);
                return;
            }
            // Refined only once every child's grid is here; until then the node stands in.
            var lacking = false;
            for (var c = 0; c < 4; c += 1) {
                var child = node.children[c];
                if (child >= 0) {
                    var chunk = data.chunkOf(child);
                    if (!data.chunkLoaded(chunk)) {
                        lacking = true;
                        if (data.chunks.get(chunk) !== "failed") {
                            want(this.frame.wanted, chunk, world.chunks[chunk], distance);
                        }
                    }
                }
            }
            if (lacking) {
                this.nodePatch(index, node, originX, originY);
                return;
            }
            for (var k = 0; k < 4; k += 1) {
                if (node.children[k] >= 0) {
                    this.visit(node.children[k]);
                }
            }
            return;
        }

        var sector = world.sectors[node.sector];
        var level = v.LevelSteps.length - 1;
        if (view.maxError > 0) {
            for (var l = 0; l < v.LevelSteps.length; l += 1) {
                if (onScreen(sector.levelErrors[l]) <= view.maxError) {
                    level = l;
                    break;
                }
            }
        }
        var tile = null;
        if (level > 0) {
            tile = data.tileOf(sector);
            if (!tile) {
                var tileKey = data.tileKeyOf(sector);
                if (data.tileListed(sector) && !data.tiles.has(tileKey)) {
                    want(this.frame.wanted, tileKey, world.tiles[0].get(tileKey.slice(8)),
                        v.TerrainData.TileBand + distance);
                    this.frame.missingSectors += 1;
                }
                level = 0;
            }
        }
        var step = v.LevelSteps[level];
        var side = (v.GridSide - 1) / step + 1;
        var heights;
        var version;
        if (level === 0) {
            heights = data.coarse[node.sector];
            version = world.chunks[data.chunkOf(index)];
        } else {
            data.touchTile(tile);
            heights = data.sectorGrid(sector, step);
            // With the sector's name: its index moves when a live world gains a sector, and
            // the renderer keeps uploaded patches by key and version.
            version = world.tiles[0].get(data.tileKeyOf(sector).slice(8)) + " " + sector.name;
        }
        this.frame.patches.push({key: "s" + node.sector + "_" + level, version: version,
            originX: originX, originY: originY, step: step, side: side, heights: heights,
            present: null, skirtDepth: world.skirtDepth});
    };

    // The patches for `camera` in a view of width x height pixels with at most maxErrorPixels
    // on screen (0: full detail). wanted: the data keys the frame lacks, key -> {version,
    // priority}; missingSectors: sectors drawn coarser than wanted while their tile loads;
    // walked: whether the tree could be walked at all (its root's chunk is here).
    // options.probe: a look aside (the ground below, the way ahead), not the frame on screen.
    v.select = function (data, camera, width, height, maxErrorPixels, options) {
        var world = data.world;
        // A world with no sector to draw has nothing to wait for.
        var frame = {patches: [], wanted: new Map(), missingSectors: 0, walked: world.root < 0};
        if (world.root < 0 || !(width > 0) || !(height > 0)) {
            return frame;
        }
        if (!(options && options.probe)) {
            data.beginFrame();
        }
        var rootChunk = data.chunkOf(world.root);
        if (!data.chunkLoaded(rootChunk)) {
            if (data.chunks.get(rootChunk) !== "failed") {
                want(frame.wanted, rootChunk, world.chunks[rootChunk], 0);
            }
            return frame;
        }
        var tanY = Math.tan(v.FieldOfView / 2);
        var view = {camera: camera, rotation: v.viewRotation(camera), pixelsPerUnit: height / (2 * tanY),
            tanX: tanY * width / height, tanY: tanY, maxError: maxErrorPixels};
        frame.walked = true;
        new Walk(data, view, frame).visit(world.root);
        return frame;
    };
})(Velmora.view3d);
