// A scale bar in world units: the longest round length (1, 2 or 5 times a power of ten) that
// fits in MaxPixels at the map's zoom.
"use strict";

(function () {
    var MaxPixels = 100;
    var SampleSpacing = 10;

    // {units, pixels} for a map at `zoom` (2^zoom pixels a sample).
    function scaleAt(zoom) {
        var pixelsPerUnit = Math.pow(2, zoom) / SampleSpacing;
        var most = MaxPixels / pixelsPerUnit;
        var power = Math.pow(10, Math.floor(Math.log10(most)));
        var units = [5, 2, 1].map(function (step) { return step * power; })
            .filter(function (length) { return length <= most; })[0];
        return {units: units, pixels: units * pixelsPerUnit};
    }

    function label(units) {
        return Number(units.toPrecision(1)) + " units";
    }

    Velmora.ScaleBar = L.Control.extend({
        options: {position: "bottomright"},

        onAdd: function (map) {
            var box = L.DomUtil.create("div", "velmora-scale");
            this.bar = L.DomUtil.create("div", "velmora-scale-bar", box);
            this.text = L.DomUtil.create("span", "velmora-scale-text", box);
            map.on("zoomend", this.update, this);
            this.update();
            return box;
        },

        onRemove: function (map) {
            map.off("zoomend", this.update, this);
        },

        update: function () {
            var zoom = this._map.getZoom();
            if (!isFinite(zoom)) {
                return;  // not placed yet
            }
            var scale = scaleAt(zoom);
            this.bar.style.width = Math.round(scale.pixels) + "px";
            this.text.textContent = label(scale.units);
        },
    });

    Velmora.ScaleBar.scaleAt = scaleAt;
})();
