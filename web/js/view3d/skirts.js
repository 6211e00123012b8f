// How deep each edge's skirt hangs (src/world/render/skirt_depths.cpp). Where two patches meet
// at different levels of detail their edges part, and a skirt hanging from each edge down to the
// other's closes the crack. An edge that meets no other patch (the world's rim, a hole) or one
// whose points it shares hangs none, so nothing shows below the rim.
"use strict";

var Velmora = window.Velmora || {};
window.Velmora = Velmora;
Velmora.view3d = Velmora.view3d || {};

(function (v) {
    // Edges are numbered as the patch's points: 0 for i = 0, 1 for i = side - 1, 2 for j = 0,
    // 3 for j = side - 1.
    function edgeOf(patch, edge) {
        var span = (patch.side - 1) * patch.step;
        var line = edge === 0 ? patch.originX : edge === 1 ? patch.originX + span :
            edge === 2 ? patch.originY : patch.originY + span;
        var from = edge < 2 ? patch.originY : patch.originX;
        return {line: line, from: from, to: from + span};
    }

    function edgePoint(patch, edge, k) {
        var i = edge === 0 ? 0 : edge === 1 ? patch.side - 1 : k;
        var j = edge === 2 ? 0 : edge === 3 ? patch.side - 1 : k;
        return i * patch.side + j;
    }

    // The edge's height in samples at world sample t along it, linear between its points; null
    // where a point it needs is absent.
    function heightAt(patch, edge, from, t) {
        var k = Math.floor((t - from) / patch.step);
        var rest = (t - from) - k * patch.step;
        var first = edgePoint(patch, edge, k);
        if (patch.present && patch.present[first] === 0) {
            return null;
        }
        var h0 = patch.heights[first];
        if (rest === 0) {
            return h0;
        }
        var second = edgePoint(patch, edge, k + 1);
        if (patch.present && patch.present[second] === 0) {
            return null;
        }
        var h1 = patch.heights[second];
        return h0 + (h1 - h0) * rest / patch.step;
    }

    // The widest gap in samples between two edges on one line over the stretch they share; both
    // are straight between their points, so it lies at a point of one of them.
    function widestGap(a, edgeA, lineA, b, edgeB, lineB, from, to) {
        var widest = 0;
        var pairs = [[a, lineA], [b, lineB]];
        for (var p = 0; p < 2; p += 1) {
            var step = pairs[p][0].step;
            var edgeFrom = pairs[p][1].from;
            var t = edgeFrom + Math.floor((from - edgeFrom + step - 1) / step) * step;
            for (; t <= to; t += step) {
                var ha = heightAt(a, edgeA, lineA.from, t);
                var hb = heightAt(b, edgeB, lineB.from, t);
                if (ha !== null && hb !== null) {
                    widest = Math.max(widest, Math.abs(ha - hb));
                }
            }
        }
        return widest;
    }

    var Opposite = [1, 0, 3, 2];

    // For each patch, by edge, world units: the widest gap to the neighbours along it, one
    // sample spacing more where their points do not coincide, at most the patch's skirtDepth.
    v.skirtDepths = function (patches) {
        var lines = [new Map(), new Map(), new Map(), new Map()];
        patches.forEach(function (patch, p) {
            for (var edge = 0; edge < 4; edge += 1) {
                var placed = edgeOf(patch, edge);
                var list = lines[edge].get(placed.line);
                if (!list) {
                    list = [];
                    lines[edge].set(placed.line, list);
                }
                list.push({patch: p, edge: placed});
            }
        });
        return patches.map(function (patch) {
            var depths = [0, 0, 0, 0];
            if (!(patch.skirtDepth > 0)) {
                return depths;
            }
            for (var edge = 0; edge < 4; edge += 1) {
                var mine = edgeOf(patch, edge);
                var theirEdge = Opposite[edge];
                var found = lines[theirEdge].get(mine.line);
                if (!found) {
                    continue;
                }
                var deepest = 0;
                for (var n = 0; n < found.length; n += 1) {
                    var other = found[n];
                    var from = Math.max(mine.from, other.edge.from);
                    var to = Math.min(mine.to, other.edge.to);
                    if (to <= from) {
                        continue;
                    }
                    var neighbour = patches[other.patch];
                    var shared = neighbour.step === patch.step &&
                        (other.edge.from - mine.from) % patch.step === 0;
                    var gap = widestGap(patch, edge, mine, neighbour, theirEdge, other.edge, from, to);
                    if (!shared || gap > 0) {
                        deepest = Math.max(deepest, gap * v.SampleHeight + v.SampleSpacing);
                    }
                }
                depths[edge] = Math.fround(Math.min(deepest, patch.skirtDepth));
            }
            return depths;
        });
    };
})(Velmora.view3d);
