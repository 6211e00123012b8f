// "Save picture": a PNG of exactly what the view shows, at its size in CSS pixels (the map) or
// the canvas's pixels (the 3D view), named after the world and the place.
"use strict";

(function () {
    // What the page shows where the world is not (velmora.css's background).
    var Background = "#5d6b78";

    // The map's ground and grid as drawn now: each tile canvas where it stands in the container.
    function ofMap(container) {
        var bounds = container.getBoundingClientRect();
        var canvas = document.createElement("canvas");
        canvas.width = Math.round(bounds.width);
        canvas.height = Math.round(bounds.height);
        var context = canvas.getContext("2d");
        context.fillStyle = Background;
        context.fillRect(0, 0, canvas.width, canvas.height);
        var tiles = container.querySelectorAll(".velmora-ground canvas, .velmora-grid canvas");
        tiles.forEach(function (tile) {
            var at = tile.getBoundingClientRect();
            if (at.width === 0 || at.height === 0 ||
                getComputedStyle(tile).visibility === "hidden") {
                return;
            }
            // Zoomed in, a sample is a square, as the page shows it.
            context.imageSmoothingEnabled = at.width < tile.width;
            context.globalAlpha = Number(getComputedStyle(tile).opacity);
            context.drawImage(tile, at.left - bounds.left, at.top - bounds.top, at.width,
                at.height);
        });
        context.globalAlpha = 1;
        return canvas;
    }

    // The 3D view's last frame ({width, height, rgba} from its top row down).
    function ofPicture(picture) {
        var canvas = document.createElement("canvas");
        canvas.width = picture.width;
        canvas.height = picture.height;
        var image = new ImageData(new Uint8ClampedArray(picture.rgba.buffer,
            picture.rgba.byteOffset, picture.rgba.byteLength), picture.width, picture.height);
        canvas.getContext("2d").putImageData(image, 0, 0);
        return canvas;
    }

    // A file name of the world and the place: letters, digits, "-", "_" and "." only.
    function fileName(world, place) {
        return (world + "_" + place).replace(/[^A-Za-z0-9._-]+/g, "_") + ".png";
    }

    // Offers the canvas as a download; resolves with the PNG's Blob.
    function save(canvas, name) {
        return new Promise(function (resolve, reject) {
            canvas.toBlob(function (blob) {
                if (!blob) {
                    reject(new Error("the picture could not be made"));
                    return;
                }
                var link = document.createElement("a");
                link.href = URL.createObjectURL(blob);
                link.download = name;
                document.body.appendChild(link);
                link.click();
                link.remove();
                setTimeout(function () {
                    URL.revokeObjectURL(link.href);
                }, 10000);
                resolve(blob);
            }, "image/png");
        });
    }

    Velmora.Picture = {ofMap: ofMap, ofPicture: ofPicture, fileName: fileName, save: save};
})();
