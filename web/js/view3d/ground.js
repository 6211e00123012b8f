// The ground as a frame's patches shape it (src/world_view/ground_height.cpp), the point a pixel
// shows, and the status text of the ground under the pointer (readouts.cpp GroundText). The
// desktop reads the pixel's depth back; here the pixel's ray is cast against the drawn patches
// and their skirts on the CPU, which finds the same surface.
"use strict";

var Velmora = window.Velmora || {};
window.Velmora = Velmora;
Velmora.view3d = Velmora.view3d || {};

(function (v) {
    function holds(patch, i, j) {
        return !patch.present || patch.present[i * patch.side + j] !== 0;
    }

    function sample(patch, i, j) {
        return patch.heights[i * patch.side + j];
    }

    // std::lround: halves away from zero.
    function lround(x) {
        return x < 0 ? -Math.round(-x) : Math.round(x);
    }

    // {height (world units), nearest (the drawn sample nearest to the point)} from the finest
    // patch that holds (x, y) with all the points of its cell; null elsewhere.
    v.groundAt = function (patches, x, y) {
        var sx = x / v.SampleSpacing;
        var sy = y / v.SampleSpacing;
        var finest = null;
        var u = 0;
        var w = 0;
        for (var p = 0; p < patches.length; p += 1) {
            var patch = patches[p];
            var pu = (sx - patch.originX) / patch.step;
            var pv = (sy - patch.originY) / patch.step;
            var last = patch.side - 1;
            if (pu < 0 || pv < 0 || pu > last || pv > last) {
                continue;
            }
            if (finest === null || patch.step < finest.step) {
                finest = patch;
                u = pu;
                w = pv;
            }
        }
        if (finest === null) {
            return null;
        }
        var i = Math.min(Math.floor(u), finest.side - 2);
        var j = Math.min(Math.floor(w), finest.side - 2);
        var fu = u - i;
        var fv = w - j;
        if (!holds(finest, i, j) || !holds(finest, i + 1, j + 1) ||
            !holds(finest, fu >= fv ? i + 1 : i, fu >= fv ? j : j + 1)) {
            return null;
        }
        var h00 = sample(finest, i, j);
        var h11 = sample(finest, i + 1, j + 1);
        var height;
        // Cells are cut along their (i, j)-(i + 1, j + 1) diagonal.
        if (fu >= fv) {
            var h10 = sample(finest, i + 1, j);
            height = h00 + fu * (h10 - h00) + fv * (h11 - h10);
        } else {
            var h01 = sample(finest, i, j + 1);
            height = h00 + fv * (h01 - h00) + fu * (h11 - h01);
        }
        return {height: height * v.SampleHeight, nearest: sample(finest, lround(u), lround(w))};
    };

    // The ray through pixel (px, py) of a width x height frame, as the desktop's PickedPoint
    // unprojects it: pixel centres, row 0 at the top; direction in world units per unit of
    // view depth.
    v.pixelRay = function (camera, width, height, px, py) {
        var yScale = 1 / Math.tan(v.FieldOfView / 2);
        var xScale = yScale * height / width;
        var ndcX = 2 * (px + 0.5) / width - 1;
        var ndcY = 1 - 2 * (py + 0.5) / height;
        var viewX = ndcX / xScale;
        var viewY = ndcY / yScale;
        var r = v.viewRotation(camera);
        return {x: camera.x, y: camera.y, z: camera.z,
            dx: viewX * r[0] + viewY * r[1] + r[2],
            dy: viewX * r[3] + viewY * r[4] + r[5],
            dz: viewX * r[6] + viewY * r[7] + r[8]};
    };

    // Möller-Trumbore, both faces: the ray parameter of the hit, or Infinity.
    function triangle(ray, ax, ay, az, bx, by, bz, cx, cy, cz) {
        var e1x = bx - ax;
        var e1y = by - ay;
        var e1z = bz - az;
        var e2x = cx - ax;
        var e2y = cy - ay;
        var e2z = cz - az;
        var px = ray.dy * e2z - ray.dz * e2y;
        var py = ray.dz * e2x - ray.dx * e2z;
        var pz = ray.dx * e2y - ray.dy * e2x;
        var det = e1x * px + e1y * py + e1z * pz;
        if (Math.abs(det) < 1e-12) {
            return Infinity;
        }
        var inv = 1 / det;
        var tx = ray.ox - ax;
        var ty = ray.oy - ay;
        var tz = ray.oz - az;
        var s = (tx * px + ty * py + tz * pz) * inv;
        if (s < -1e-9 || s > 1 + 1e-9) {
            return Infinity;
        }
        var qx = ty * e1z - tz * e1y;
        var qy = tz * e1x - tx * e1z;
        var qz = tx * e1y - ty * e1x;
        var t = (ray.dx * qx + ray.dy * qy + ray.dz * qz) * inv;
        if (t < -1e-9 || s + t > 1 + 1e-9) {
            return Infinity;
        }
        var hit = (e2x * qx + e2y * qy + e2z * qz) * inv;
        return hit >= v.NearPlane ? hit : Infinity;
    }

    // The slab test of a box: the stretch [near, far] of the ray inside it, or null.
    function slab(ray, min, max) {
        var near = -Infinity;
        var far = Infinity;
        var o = [ray.ox, ray.oy, ray.oz];
        var d = [ray.dx, ray.dy, ray.dz];
        for (var k = 0; k < 3; k += 1) {
            if (Math.abs(d[k]) < 1e-15) {
                if (o[k] < min[k] || o[k] > max[k]) {
                    return null;
                }
                continue;
            }
            var t0 = (min[k] - o[k]) / d[k];
            var t1 = (max[k] - o[k]) / d[k];
            near = Math.max(near, Math.min(t0, t1));
            far = Math.min(far, Math.max(t0, t1));
        }
        return near <= far && far >= 0 ? [Math.max(near, 0), far] : null;
    }

    function patchBounds(patch) {
        if (patch.bounds === undefined) {
            var least = 65535;
            var greatest = 0;
            var count = patch.side * patch.side;
            for (var k = 0; k < count; k += 1) {
                if (!patch.present || patch.present[k] !== 0) {
                    least = Math.min(least, patch.heights[k]);
                    greatest = Math.max(greatest, patch.heights[k]);
                }
            }
            patch.bounds = {least: least, greatest: greatest};
        }
        return patch.bounds;
    }

    // The nearest hit of `ray` on the patch's triangles (as patch_indices cuts them) and, where
    // they hang, its skirts; positions relative to the ray's origin, as the GPU has them.
    function hitPatch(ray, patch, depths, best) {
        var side = patch.side;
        var step = patch.step;
        var baseX = v.SampleSpacing * patch.originX - ray.x;
        var baseY = v.SampleSpacing * patch.originY - ray.y;
        var span = v.SampleSpacing * step * (side - 1);
        var bounds = patchBounds(patch);
        var deepest = Math.max(depths[0], depths[1], depths[2], depths[3]);
        var range = slab(ray, [baseX, baseY, v.SampleHeight * bounds.least - deepest - ray.z],
            [baseX + span, baseY + span, v.SampleHeight * bounds.greatest - ray.z]);
        if (range === null || range[0] >= best) {
            return best;
        }
        function px(i) { return baseX + v.SampleSpacing * step * i; }
        function py(j) { return baseY + v.SampleSpacing * step * j; }
        function pz(i, j) { return v.SampleHeight * patch.heights[i * side + j] - ray.z; }
        // The cells the ray crosses while inside the box, walked in the grid.
        var cell = v.SampleSpacing * step;
        var t = range[0];
        var end = Math.min(range[1], best);
        var ci = Math.min(Math.max(Math.floor((ray.ox + ray.dx * t - baseX) / cell), 0), side - 2);
        var cj = Math.min(Math.max(Math.floor((ray.oy + ray.dy * t - baseY) / cell), 0), side - 2);
        var stepI = ray.dx > 0 ? 1 : -1;
        var stepJ = ray.dy > 0 ? 1 : -1;
        var nextI = ray.dx !== 0 ? (px(ci + (stepI > 0 ? 1 : 0)) - ray.ox) / ray.dx : Infinity;
        var nextJ = ray.dy !== 0 ? (py(cj + (stepJ > 0 ? 1 : 0)) - ray.oy) / ray.dy : Infinity;
        var deltaI = ray.dx !== 0 ? cell / Math.abs(ray.dx) : Infinity;
        var deltaJ = ray.dy !== 0 ? cell / Math.abs(ray.dy) : Infinity;
        for (;;) {
            var i = ci;
            var j = cj;
            if (holds(patch, i, j + 1) && holds(patch, i, j) && holds(patch, i + 1, j + 1)) {
                best = Math.min(best, triangle(ray, px(i), py(j + 1), pz(i, j + 1), px(i), py(j), pz(i, j),
                    px(i + 1), py(j + 1), pz(i + 1, j + 1)));
            }
            if (holds(patch, i, j) && holds(patch, i + 1, j) && holds(patch, i + 1, j + 1)) {
                best = Math.min(best, triangle(ray, px(i), py(j), pz(i, j), px(i + 1), py(j), pz(i + 1, j),
                    px(i + 1), py(j + 1), pz(i + 1, j + 1)));
            }
            var next = Math.min(nextI, nextJ);
            if (next > Math.min(end, best)) {
                break;
            }
            if (nextI < nextJ) {
                ci += stepI;
                nextI += deltaI;
                if (ci < 0 || ci > side - 2) {
                    break;
                }
            } else {
                cj += stepJ;
                nextJ += deltaJ;
                if (cj < 0 || cj > side - 2) {
                    break;
                }
            }
        }
        for (var edge = 0; edge < 4; edge += 1) {
            var drop = depths[edge];
            if (!(drop > 0)) {
                continue;
            }
            for (var k = 0; k + 1 < side; k += 1) {
                var i0 = edge === 0 ? 0 : edge === 1 ? side - 1 : k;
                var j0 = edge === 2 ? 0 : edge === 3 ? side - 1 : k;
                var i1 = edge < 2 ? i0 : k + 1;
                var j1 = edge < 2 ? k + 1 : j0;
                if (!holds(patch, i0, j0) || !holds(patch, i1, j1)) {
                    continue;
                }
                var x0 = px(i0);
                var y0 = py(j0);
                var z0 = pz(i0, j0);
                var x1 = px(i1);
                var y1 = py(j1);
                var z1 = pz(i1, j1);
                best = Math.min(best, triangle(ray, x0, y0, z0, x1, y1, z1, x1, y1, z1 - drop));
                best = Math.min(best, triangle(ray, x0, y0, z0, x1, y1, z1 - drop, x0, y0, z0 - drop));
            }
        }
        return best;
    }

    // The world point pixel (px, py) shows in a frame of `patches` drawn from `camera`, or null
    // over the sky.
    v.pickPoint = function (patches, depths, camera, width, height, px, py) {
        if (!(width > 0) || !(height > 0)) {
            return null;
        }
        var ray = v.pixelRay(camera, width, height, px, py);
        // Positions relative to the camera: the ray starts at the origin.
        ray.ox = 0;
        ray.oy = 0;
        ray.oz = 0;
        var best = Infinity;
        for (var p = 0; p < patches.length; p += 1) {
            best = hitPatch(ray, patches[p], depths[p], best);
        }
        if (best === Infinity) {
            return null;
        }
        return [camera.x + ray.dx * best, camera.y + ray.dy * best, camera.z + ray.dz * best];
    };

    // "sector 1_2, sample 812, height 203.0": the sector under the world point (x, y), the drawn
    // sample nearest to it and the ground's height there.
    v.groundText = function (x, y, nearest, height) {
        return "sector " + Math.floor(x / v.SectorSideUnits) + "_" + Math.floor(y / v.SectorSideUnits) +
            ", sample " + nearest + ", height " + formatFixed1(height);
    };

    // printf's %.1f: the nearest tenth, a tie to the even one. A tie is a value exactly
    // between two tenths, which in binary is an odd number of quarters; toFixed would round it
    // up.
    function formatFixed1(value) {
        var quarters = value * 4;
        if (Number.isInteger(quarters) && Math.abs(quarters) % 2 === 1) {
            var tenths = Math.floor(value * 10);
            if (Math.abs(tenths) % 2 === 1) {
                tenths += 1;
            }
            return (tenths / 10).toFixed(1);
        }
        return value.toFixed(1);
    }
    v.formatFixed1 = formatFixed1;
})(Velmora.view3d);
