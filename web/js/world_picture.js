// A world's small picture (data/W/picture.vN.js) for the list of worlds: the pyramid's first
// level at which the world's box is at most 128 pixels a side, shaded as the map's height
// shading with the world's range, transparent where no sector lies.
"use strict";

(function () {
    // u32 width, u32 height, a u16 grid of heights, a u8 grid of coverage: {width, height, rgba}.
    function shade(buffer, range) {
        var view = new DataView(buffer);
        var width = view.getUint32(0, true);
        var height = view.getUint32(4, true);
        var count = width * height;
        if (width === 0 || height === 0 || width > 128 || height > 128 ||
            buffer.byteLength !== 8 + 3 * count) {
            throw new Error("the picture holds " + buffer.byteLength + " bytes for " + width +
                " x " + height);
        }
        var bytes = new Uint8Array(buffer);
        var heights = Velmora.decodeHeights(bytes, 8, width, height);
        var coverage = bytes.subarray(8 + 2 * count);
        var rgba = new Uint8ClampedArray(4 * count);
        for (var k = 0; k < count; k += 1) {
            var grey = coverage[k] === 0 ? 0 : Velmora.Shading.grey(heights[k], range);
            rgba[4 * k] = grey;
            rgba[4 * k + 1] = grey;
            rgba[4 * k + 2] = grey;
            rgba[4 * k + 3] = coverage[k];
        }
        return {width: width, height: height, rgba: rgba};
    }

    // Resolves with a canvas of world `entry`'s picture (an entry of the site's index).
    function draw(entry) {
        return Velmora.load(entry.folder + "/picture", entry.picture, 0).then(function (buffer) {
            var picture = shade(buffer, entry.range);
            var canvas = document.createElement("canvas");
            canvas.width = picture.width;
            canvas.height = picture.height;
            canvas.getContext("2d").putImageData(new ImageData(picture.rgba, picture.width,
                picture.height), 0, 0);
            return canvas;
        });
    }

    Velmora.WorldPicture = {shade: shade, draw: draw};
})();
