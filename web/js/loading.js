// The loading indicator: shown while anything the view waits for is on its way (the world, the
// map's first tiles, the 3D view's first frame, a live update), each by a name of its own, so
// that one finishing does not hide another.
"use strict";

(function () {
    var waiting = new Set(["world"]);

    function element() {
        return document.getElementById("loading");
    }

    function update() {
        var indicator = element();
        if (indicator) {
            indicator.hidden = waiting.size === 0;
        }
    }

    Velmora.Loading = {
        start: function (name) {
            waiting.add(name);
            update();
        },
        done: function (name) {
            if (waiting.delete(name)) {
                update();
            }
        },
        // What is still awaited, by name (for tests).
        pending: function () {
            return Array.from(waiting);
        },
    };
})();
