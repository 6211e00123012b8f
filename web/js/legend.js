// The legend of the shading shown, in one row: for height, the grey ramp with the heights at its
// ends and ticks at its quarters, and a white swatch for the ground below the range (drawn
// white, as the viewer draws it, so that a river bed is told from a summit); for hillshade,
// where the light comes from; both for both. It follows the shading and the world's range as
// they change.
"use strict";

(function () {
    var HeightScale = 0.25;
    // Ticks along the ramp, as fractions of it (its ends are labelled).
    var Ticks = [0.25, 0.5, 0.75];

    function make(tag, className, text) {
        var node = document.createElement(tag);
        if (className) {
            node.className = className;
        }
        if (text !== undefined) {
            node.textContent = text;
        }
        return node;
    }

    // The height (world units, one decimal as the status line gives it) at a fraction of the
    // range: grey g stands for samples from low + g width / 256.
    function heightAt(range, fraction) {
        return Velmora.Ground.fixed1((range.low + fraction * range.width) * HeightScale);
    }

    function Legend(element) {
        this.element = element;
        this.range = null;
        this.shading = null;
    }

    Legend.prototype.show = function (range, shading) {
        if (this.range && this.range.low === range.low && this.range.width === range.width &&
            this.shading === shading) {
            return;
        }
        this.range = {low: range.low, width: range.width};
        this.shading = shading;
        var element = this.element;
        element.textContent = "";
        if (shading !== "hillshade") {
            // One row: the low end's height, the ramp with ticks at its quarters, the high end's.
            var scale = make("span", "legend-scale");
            scale.appendChild(make("span", "legend-end", heightAt(range, 0)));
            var ramp = make("span", "legend-ramp");
            ramp.setAttribute("role", "img");
            ramp.setAttribute("aria-label", "grey from black at height " + heightAt(range, 0) +
                " to white at " + heightAt(range, 1) + ", " + heightAt(range, 0.5) +
                " half way");
            Ticks.forEach(function (fraction) {
                var tick = make("span", "legend-tick");
                tick.style.left = (100 * fraction) + "%";
                tick.title = heightAt(range, fraction);
                ramp.appendChild(tick);
            });
            scale.appendChild(ramp);
            scale.appendChild(make("span", "legend-end", heightAt(range, 1)));
            element.appendChild(scale);
            var below = make("span", "legend-below");
            below.appendChild(make("span", "legend-swatch"));
            below.appendChild(document.createTextNode("below " + heightAt(range, 0) + ": white"));
            element.appendChild(below);
        }
        if (shading !== "height") {
            var light = make("span", "legend-light");
            light.appendChild(make("span", "legend-arrow", "\u2198"));
            light.appendChild(document.createTextNode(
                "light from the map's top left, 45\u00b0 up"));
            element.appendChild(light);
        }
    };

    Velmora.Legend = Legend;
})();
