// How ground is shaded, as `velmora map` shades it: the viewer's grey over the world's one range,
// light on the slopes from the north-west (a hillshade), or both multiplied. Shared by the map
// and the 3D view, so that both agree with the desktop to the grey level.
"use strict";

(function () {
    // World units between neighbouring samples, and of height per sample unit.
    var SampleSpacing = 10;
    var HeightScale = 0.25;
    // Towards the light: north-west (-x, -y), 45 degrees up.
    var Light = {x: -0.5, y: -0.5, z: 0.70710678118654752};

    // 255 below the range, else floor((s - low) 256 / width), 255 at most.
    function grey(sample, range) {
        if (sample < range.low) {
            return 255;
        }
        return Math.min(255, Math.floor((sample - range.low) * 256 / range.width));
    }

    // 0 (facing away from the light) to 255 (facing it) for ground rising slopeX world units per
    // unit along x and slopeY along y.
    function hillshade(slopeX, slopeY) {
        // The upward normal of z = h(x, y) is (-dh/dx, -dh/dy, 1).
        var length = Math.sqrt(slopeX * slopeX + slopeY * slopeY + 1);
        var lit = (-slopeX * Light.x - slopeY * Light.y + Light.z) / length;
        return Math.round(Math.min(Math.max(lit, 0), 1) * 255);
    }

    // A grey lit by a hillshade: their product over 255.
    function lit(grey, shade) {
        return Math.floor(grey * shade / 255);
    }

    // Height change in world units per world unit across a point, from whichever neighbours
    // exist; `spacing`: world units between points.
    function slope(hasBefore, before, hasAfter, after, centre, spacing) {
        var low = hasBefore ? before : centre;
        var high = hasAfter ? after : centre;
        var steps = (hasBefore ? 1 : 0) + (hasAfter ? 1 : 0);
        return steps === 0 ? 0 : (high - low) * HeightScale / (steps * spacing);
    }

    // Shades the inner (side - 2) x (side - 2) points of a side x side grid (row-major, its ring
    // only lights the edges) into `pixels`, RGBA of (side - 2)^2 pixels: grey by `name`
    // ("height", "hillshade" or "both") and alpha the point's coverage. `spacing`: world units
    // between points.
    function shadeGrid(heights, coverage, side, spacing, range, name, pixels) {
        var byHeight = name !== "hillshade";
        var byLight = name !== "height";
        var inner = side - 2;
        for (var j = 1; j <= inner; j += 1) {
            var out = (j - 1) * inner * 4;
            for (var i = 1; i <= inner; i += 1, out += 4) {
                var at = j * side + i;
                var alpha = coverage[at];
                var value = 0;
                if (alpha !== 0) {
                    var centre = heights[at];
                    value = byHeight ? grey(centre, range) : 255;
                    if (byLight) {
                        var slopeX = slope(coverage[at - 1] !== 0, heights[at - 1],
                            coverage[at + 1] !== 0, heights[at + 1], centre, spacing);
                        var slopeY = slope(coverage[at - side] !== 0, heights[at - side],
                            coverage[at + side] !== 0, heights[at + side], centre, spacing);
                        value = lit(value, hillshade(slopeX, slopeY));
                    }
                }
                pixels[out] = value;
                pixels[out + 1] = value;
                pixels[out + 2] = value;
                pixels[out + 3] = alpha;
            }
        }
    }

    Velmora.Shading = {
        names: ["height", "hillshade", "both"],
        labels: {height: "Height", hillshade: "Hillshade", both: "Both"},
        fallback: "both",
        SampleSpacing: SampleSpacing,
        HeightScale: HeightScale,
        Light: Light,
        grey: grey,
        hillshade: hillshade,
        lit: lit,
        slope: slope,
        shadeGrid: shadeGrid,
        // World units between the points of pyramid level `level`.
        spacingAt: function (level) {
            return SampleSpacing * Math.pow(2, level);
        },
        isName: function (name) {
            return this.names.indexOf(name) >= 0;
        },
    };
})();
