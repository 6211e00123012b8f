// The toolbar's list of worlds, in a site of several: choosing one shows it in place, in the view
// shown (the map or the 3D view); its last entry brings back the list of worlds with their
// pictures. Hidden in a site of one world.
"use strict";

(function () {
    var AllWorlds = "";

    // options: onChoose(entry) for a world chosen, onAll() for the list of worlds.
    function Switcher(select, options) {
        this.select = select;
        this.options = options;
        this.shownFolder = null;
        this.shownName = "";
        this.entries = new Map();
        var self = this;
        select.addEventListener("change", function () {
            var value = select.value;
            // The list shows the world shown until another one is.
            select.value = self.shownFolder;
            if (value === AllWorlds) {
                self.options.onAll();
            } else if (value !== self.shownFolder && self.entries.has(value)) {
                self.options.onChoose(self.entries.get(value));
            }
        });
    }

    function option(value, text) {
        var node = document.createElement("option");
        node.value = value;
        node.textContent = text;
        return node;
    }

    // The entries of `index`, the world shown (its folder and name) chosen; a world shown that
    // the site no longer holds stays in the list, marked so, until another is chosen.
    Switcher.prototype.render = function (index, folder, name) {
        this.shownFolder = folder;
        this.shownName = name;
        this.entries = new Map();
        var select = this.select;
        var focused = document.activeElement === select;
        select.textContent = "";
        var held = false;
        var self = this;
        index.worlds.forEach(function (entry) {
            self.entries.set(entry.folder, entry);
            var choice = option(entry.folder, entry.name);
            // A world without a sector has nothing to show yet.
            choice.disabled = entry.version === null || entry.version === undefined;
            select.appendChild(choice);
            held = held || entry.folder === folder;
        });
        if (!held && folder !== null) {
            var gone = option(folder, name + " (removed)");
            gone.disabled = true;
            select.insertBefore(gone, select.firstChild);
        }
        select.appendChild(option(AllWorlds, "All worlds\u2026"));
        select.value = folder === null ? AllWorlds : folder;
        select.hidden = index.worlds.length <= 1 && held;
        if (focused && select.hidden) {
            select.blur();
        }
    };

    Velmora.Switcher = Switcher;
})();
