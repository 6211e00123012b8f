// The 3D view's hint of its controls: shown with the view until the user closes it, and then
// never again in this browser (it remembers in localStorage where it may; else for this page).
"use strict";

(function () {
    var Key = "velmora.flightHintClosed";

    function remembered() {
        try {
            return window.localStorage.getItem(Key) === "1";
        } catch (error) {
            return false;
        }
    }

    function Hint(box, close) {
        this.box = box;
        this.closed = remembered();
        var self = this;
        close.addEventListener("click", function () {
            self.closed = true;
            self.box.hidden = true;
            try {
                window.localStorage.setItem(Key, "1");
            } catch (error) {
                // A page that may not store anything keeps it closed until it is reloaded.
            }
        });
    }

    // With the 3D view shown or hidden.
    Hint.prototype.follow = function (shown3d) {
        this.box.hidden = this.closed || !shown3d;
    };

    Velmora.Hint = Hint;
})();
