// A short message over the top of the view about what the page could not do as asked (a link
// that does not parse, a 3D view this browser cannot draw): it says so once, politely, and goes
// when the user closes it or moves the view.
"use strict";

(function () {
    function Notice(box, text, close) {
        this.box = box;
        this.text = text;
        var self = this;
        close.addEventListener("click", function () {
            self.hide();
        });
    }

    Notice.prototype.show = function (words) {
        this.text.textContent = words;
        this.box.hidden = false;
    };

    Notice.prototype.hide = function () {
        if (!this.box.hidden) {
            this.box.hidden = true;
            this.text.textContent = "";
        }
    };

    Notice.prototype.shown = function () {
        return this.box.hidden ? "" : this.text.textContent;
    };

    Velmora.Notice = Notice;
})();
