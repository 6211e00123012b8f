// The status line: what lies under the pointer, in the words of velmora-world's status bar, from
// whichever view is shown. An element with role="status", so that assistive technology reads
// it; aria-busy while the data it needs is still loading.
"use strict";

(function () {
    function Status(element) {
        this.element = element;
    }

    // `text`: what to read, "" for nothing; null while it is not known yet.
    Status.prototype.show = function (text) {
        var busy = text === null;
        if (busy !== (this.element.getAttribute("aria-busy") === "true")) {
            this.element.setAttribute("aria-busy", String(busy));
        }
        text = busy ? "" : text;
        if (this.element.textContent !== text) {
            this.element.textContent = text;
        }
    };

    Velmora.Status = Status;
})();
