// The sector grid over the map: a line along every sector border of the world's box (the
// samples neighbours share) once sectors are far enough apart on screen to tell, and each
// sector's name once it is big enough to hold it.
"use strict";

(function () {
    var Pixels = 504;
    var Stride = 126;
    // Screen pixels a sector needs before its borders, and its name, are drawn.
    var LinesFrom = 8;
    var NamesFrom = 60;

    // options: world (sectorAt, box), bounds (the box as LatLngBounds).
    Velmora.GridLayer = L.GridLayer.extend({
        options: {
            tileSize: Pixels,
            noWrap: true,
            className: "velmora-grid",
            pane: "overlayPane",
        },

        createTile: function (coords) {
            var scale = Math.pow(2, coords.z);
            var sector = Stride * scale;
            if (sector < LinesFrom) {
                return document.createElement("div");
            }
            var canvas = document.createElement("canvas");
            canvas.width = Pixels;
            canvas.height = Pixels;
            var context = canvas.getContext("2d");
            var box = this.options.world.box;
            // Tile pixel of map coordinate m.
            var originX = coords.x * Pixels;
            var originY = coords.y * Pixels;
            var first = this.sectorRange(originX, scale, box.firstA, box.columnsA);
            var rows = this.sectorRange(originY, scale, box.firstB, box.rowsB);

            context.strokeStyle = "rgba(255, 40, 40, 0.8)";
            context.lineWidth = 1;
            context.beginPath();
            // A border runs through the middle of the samples both sectors hold.
            for (var a = first.from; a <= first.to + 1; a += 1) {
                var x = Math.round((Stride * a + 0.5) * scale - originX) + 0.5;
                context.moveTo(x, Math.max(0, (Stride * box.firstB + 0.5) * scale - originY));
                context.lineTo(x, Math.min(Pixels,
                    (Stride * (box.firstB + box.rowsB) + 0.5) * scale - originY));
            }
            for (var b = rows.from; b <= rows.to + 1; b += 1) {
                var y = Math.round((Stride * b + 0.5) * scale - originY) + 0.5;
                context.moveTo(Math.max(0, (Stride * box.firstA + 0.5) * scale - originX), y);
                context.lineTo(Math.min(Pixels,
                    (Stride * (box.firstA + box.columnsA) + 0.5) * scale - originX), y);
            }
            context.stroke();

            if (sector >= NamesFrom) {
                context.font = "12px sans-serif";
                context.textAlign = "center";
                context.textBaseline = "middle";
                context.lineWidth = 3;
                context.strokeStyle = "rgba(0, 0, 0, 0.7)";
                context.fillStyle = "#fff";
                for (a = first.from; a <= first.to; a += 1) {
                    for (b = rows.from; b <= rows.to; b += 1) {
                        var held = this.options.world.sectorAt.get(a + "_" + b);
                        if (!held) {
                            continue;
                        }
                        var cx = (Stride * a + 63.5) * scale - originX;
                        var cy = (Stride * b + 63.5) * scale - originY;
                        context.strokeText(held.name, cx, cy);
                        context.fillText(held.name, cx, cy);
                    }
                }
            }
            return canvas;
        },

        // The places of the box (from `first`, `count` of them) that reach into the tile whose
        // first pixel is `origin` at `scale` pixels a sample: {from, to}, maybe empty.
        sectorRange: function (origin, scale, first, count) {
            var from = Math.floor(origin / scale / Stride) - 1;
            var to = Math.floor((origin + Pixels) / scale / Stride);
            return {from: Math.max(from, first), to: Math.min(to, first + count - 1)};
        },
    });
})();
