// The status line: what lies under the pointer, in the words of velmora-world's status bar, from
// whichever view is shown, after a notice when there is one (a served page that lost its
// server). An element with role="status" and aria-busy while the data it needs is still
// loading; it follows the pointer, so it is not read out as it changes: a polite live region of
// its own (`announcer`) reads its text once the pointer has rested a moment, a notice at once,
// and what the keys brought to the view's centre.
"use strict";

(function () {
    // Milliseconds the text must stay before it is read out.
    var Rest = 700;

    function Status(element) {
        this.element = element;
        this.announcer = document.getElementById("announce");
        this.timer = null;
        element.setAttribute("aria-live", "off");
        // The notice goes before the ground's text, in a part of its own, so that either
        // changes without the other.
        this.notice = document.createElement("span");
        this.notice.className = "status-notice";
        this.ground = document.createTextNode("");
        element.textContent = "";
        element.appendChild(this.ground);
        // Where the pointer is, or why there is no ground there, beside the line.
        this.place = document.getElementById("place");
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
            this.announceLater();
        }
    };

    // Where the pointer is, or why it finds no ground ("" for nothing).
    Status.prototype.showPlace = function (text) {
        if (this.place && this.place.textContent !== text) {
            this.place.textContent = text;
            this.announceLater();
        }
    };

    // Reads the line out once it has stayed as it is for a moment.
    Status.prototype.announceLater = function () {
        if (!this.announcer) {
            return;
        }
        clearTimeout(this.timer);
        var self = this;
        this.timer = setTimeout(function () {
            self.timer = null;
            var parts = [self.element.textContent, self.place ? self.place.textContent : ""]
                .filter(function (part) { return part !== ""; });
            if (parts.length > 0) {
                self.announce(parts.join(", "));
            }
        }, Rest);
    };

    // Reads `text` out now (politely: after what is being read).
    Status.prototype.announce = function (text) {
        if (this.announcer && this.announcer.textContent !== text) {
            this.announcer.textContent = text;
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
            this.announce(text);
        }
    };

    Velmora.Status = Status;
})();
