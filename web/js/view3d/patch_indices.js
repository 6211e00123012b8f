// The triangles of a patch as indices into its points (src/world/render/patch_indices.cpp).
// Grid point (i, j) is i side + j; skirt points follow, four edges of `side` points each (edge
// 0: i = 0, 1: i = side - 1, 2: j = 0, 3: j = side - 1), each below the grid point it repeats.
"use strict";

var Velmora = window.Velmora || {};
window.Velmora = Velmora;
Velmora.view3d = Velmora.view3d || {};

(function (v) {
    function edgePoint(side, edge, t) {
        var last = side - 1;
        var i = edge === 0 ? 0 : edge === 1 ? last : t;
        var j = edge === 2 ? 0 : edge === 3 ? last : t;
        return i * side + j;
    }

    // {indices: Uint16Array, groundCount, skirtFirst[4], skirtCount[4]}: every triangle, or
    // given which points are present (side * side, 0 for absent), only those whose points all
    // are. Cells are cut along their (i, j)-(i + 1, j + 1) diagonal and wound as the viewer's
    // strips wind them, clockwise on screen seen from the front.
    v.patchIndices = function (side, present) {
        function held(point) {
            return !present || present[point] !== 0;
        }
        var all = [];
        for (var i = 0; i + 1 < side; i += 1) {
            for (var j = 0; j + 1 < side; j += 1) {
                // The viewer's strip joins column j + 1 to column j.
                var a = i * side + j + 1;
                var b = i * side + j;
                var c = (i + 1) * side + j + 1;
                var d = (i + 1) * side + j;
                if (held(a) && held(b) && held(c)) {
                    all.push(a, b, c);
                }
                if (held(b) && held(d) && held(c)) {
                    all.push(b, d, c);
                }
            }
        }
        var made = {groundCount: all.length, skirtFirst: [0, 0, 0, 0], skirtCount: [0, 0, 0, 0]};
        var skirtBase = side * side;
        for (var edge = 0; edge < 4; edge += 1) {
            made.skirtFirst[edge] = all.length;
            for (var t = 0; t + 1 < side; t += 1) {
                var top0 = edgePoint(side, edge, t);
                var top1 = edgePoint(side, edge, t + 1);
                if (!held(top0) || !held(top1)) {
                    continue;
                }
                var below0 = skirtBase + edge * side + t;
                all.push(top0, top1, below0 + 1, top0, below0 + 1, below0);
            }
            made.skirtCount[edge] = all.length - made.skirtFirst[edge];
        }
        made.indices = new Uint16Array(all);
        return made;
    };
})(Velmora.view3d);
