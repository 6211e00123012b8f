// The status line: what lies under the pointer, in the words of velmora-world's status bar, from
// whichever view is shown, after a notice when there is one (a served page that lost its
// server). An element with role="status", so that assistive technology reads it; aria-busy
// while the data it needs is still loading.
"use strict";

(function () {
    function Status(element) {
        this.element = element;
        // The notice goes before the ground's text, in a part of its own, so that either
        // changes without the other.
        this.notice = document.createElement("span");
        this.notice.className = "status-notice";
        this.ground = document.createTextNode("");
        element.textContent = "";
        element.appendChild(this.ground);
        element.velmoraStatus = this;
    }

    // The status line of `element`, made once whoever asks first.
    Status.of = function (element) {
        return element.velmoraStatus || new Status(element);
    };

    // `text`: what to read, "" for nothing; null while it is not known yet.
    Status.prototype.show = function (text) {
        var busy = text === null;
        if (busy !== (this.element.getAttribute("aria-busy") === "true")) {
            this.element.setAttribute("aria-busy", String(busy));
        }
        text = busy ? "" : text;
        if (this.ground.data !== text) {
            this.ground.data = text;
        }
    };

    // A notice ahead of the ground's text ("" for none); it ends in a space of its own.
    Status.prototype.setNotice = function (text) {
        if (!text) {
            this.notice.remove();
            return;
        }
        this.notice.textContent = text;
        if (this.notice.parentNode !== this.element) {
            this.element.insertBefore(this.notice, this.ground);
        }
    };

    Velmora.Status = Status;
})();
