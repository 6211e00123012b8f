// The list of the site's worlds to choose one from: each a link to it (#world=NAME) with its
// name, its size in sectors and its small picture. A site of several worlds opens on it; a link
// to a world the site does not hold shows it with words saying so; the page's list of worlds
// brings it back over the world shown, which its close button or Escape returns to.
"use strict";

(function () {
    function make(tag, className, text) {
        var node = document.createElement(tag);
        node.className = className;
        if (text !== undefined) {
            node.textContent = text;
        }
        return node;
    }

    function sizeWords(count) {
        return count === 1 ? "1 sector" : count + " sectors";
    }

    function Chooser(element) {
        this.element = element;
        this.list = element.querySelector(".chooser-list");
        this.message = element.querySelector(".chooser-message");
        this.title = element.querySelector(".chooser-title");
        this.closeButton = element.querySelector(".chooser-close");
        // Canvases by folder and picture version, drawn once: an update redraws what changed.
        this.pictures = new Map();
        // Called when the user closes the list (only while a world is shown behind it).
        this.onClose = null;
        var self = this;
        this.closeButton.addEventListener("click", function () {
            self.close();
        });
        element.addEventListener("keydown", function (event) {
            if (event.key === "Escape" && !self.closeButton.hidden) {
                event.preventDefault();
                self.close();
            }
        });
    }

    // Shows the list of `index`'s worlds with `message` ("" for none) above it; `shown`: the
    // world behind it, its folder, or null when no world is shown (nothing to go back to).
    Chooser.prototype.show = function (index, message, shown) {
        this.shownFolder = shown;
        this.message.textContent = message;
        this.message.hidden = message === "";
        this.closeButton.hidden = shown === null;
        this.render(index);
        var wasHidden = this.element.hidden;
        this.element.hidden = false;
        document.body.classList.add("choosing");
        if (wasHidden) {
            this.title.focus({preventScroll: true});
        }
    };

    Chooser.prototype.hide = function () {
        if (!this.element.hidden) {
            this.element.hidden = true;
            document.body.classList.remove("choosing");
        }
    };

    Chooser.prototype.shown = function () {
        return !this.element.hidden;
    };

    Chooser.prototype.close = function () {
        this.hide();
        if (this.onClose) {
            this.onClose();
        }
    };

    // The list again, for a later index (a page served live: worlds come and go).
    Chooser.prototype.render = function (index) {
        var self = this;
        var kept = new Map();
        this.list.textContent = "";
        index.worlds.forEach(function (entry) {
            var item = make("li", "chooser-item");
            // A world without a sector has nothing to open: listed, but no link.
            var empty = entry.version === null || entry.version === undefined;
            var link = make(empty ? "span" : "a", "chooser-world");
            if (!empty) {
                link.href = Velmora.Address.format({world: entry.name});
            }
            if (entry.folder === self.shownFolder) {
                link.setAttribute("aria-current", "page");
            }
            var frame = make("span", "chooser-picture");
            frame.setAttribute("aria-hidden", "true");
            if (entry.picture === null || entry.picture === undefined) {
                frame.appendChild(make("span", "chooser-no-picture", "no ground yet"));
            } else {
                var key = entry.folder + "@" + entry.picture;
                var canvas = self.pictures.get(key) || self.picture(entry);
                kept.set(key, canvas);
                frame.appendChild(canvas);
            }
            link.appendChild(frame);
            link.appendChild(make("span", "chooser-name", entry.name));
            link.appendChild(make("span", "chooser-size", sizeWords(entry.sectors)));
            item.appendChild(link);
            self.list.appendChild(item);
        });
        if (index.worlds.length === 0) {
            this.list.appendChild(make("li", "chooser-empty", "This site holds no world yet."));
        }
        this.pictures = kept;
    };

    // A canvas that shows world `entry`'s picture once it is loaded and shaded (data-drawn then
    // says so; "failed" when it cannot be had, the frame left empty).
    Chooser.prototype.picture = function (entry) {
        var canvas = make("canvas", "chooser-canvas");
        canvas.width = 1;
        canvas.height = 1;
        Velmora.WorldPicture.draw(entry).then(function (drawn) {
            canvas.width = drawn.width;
            canvas.height = drawn.height;
            canvas.getContext("2d").drawImage(drawn, 0, 0);
            canvas.dataset.drawn = "true";
        }, function () {
            canvas.dataset.drawn = "failed";
        });
        return canvas;
    };

    Velmora.Chooser = Chooser;
})();
