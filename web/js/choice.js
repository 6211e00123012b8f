// Which world the page shows: the one its address names (#world=NAME), else the site's first
// when the address asks for a place or the site holds one world, else the list of worlds to
// choose from. It loads the site's index afresh, has the page's list of worlds and the list to
// choose from follow it, and a page served live follow the world it shows.
"use strict";

(function () {
    // Longer names are cut short where a message quotes them.
    var MaxQuoted = 60;

    function element(id) {
        return document.getElementById(id);
    }

    function showMessage(text) {
        var message = element("message");
        message.textContent = text;
        message.hidden = false;
    }

    // A world's name as a message quotes it: whole up to a length, without control characters.
    function quoted(name) {
        var text = name.length > MaxQuoted ? name.slice(0, MaxQuoted) + "\u2026" : name;
        return "\u201c" + text.replace(/[\u0000-\u001f\u007f-\u009f]/g, "?") + "\u201d";
    }

    // Whether an address asks for a place (or names one that does not parse): a link from
    // before sites held several worlds, which opens the first.
    function asksForPlace(wanted) {
        return !!(wanted.sector || wanted.map || wanted.camera) || wanted.unreadable !== undefined;
    }

    // Whether a world of the index has ground to show: one without a sector has no world.js.
    function drawable(entry) {
        return entry.version !== null && entry.version !== undefined;
    }

    function Choice() {
        var self = this;
        this.chooser = new Velmora.Chooser(element("chooser"));
        this.chooser.onClose = function () {
            self.switcher.select.focus({preventScroll: true});
        };
        this.switcher = new Velmora.Switcher(element("world-choice"), {
            onChoose: function (entry) {
                self.open(entry, null);
            },
            onAll: function () {
                self.showChooser("");
            },
        });
        // The folder of the world asked for last (shown, or on its way).
        this.wantedFolder = null;
        // How the world shown went, when the site no longer holds it or its ground (said once).
        this.gone = "";
        // World loads on their way, by the loading indicator's name for them.
        this.loads = {};
        // Whether the world asked for was chosen from the list of worlds.
        this.focusNext = false;
        window.addEventListener("hashchange", function () {
            if (Velmora.Site.index()) {
                self.follow(new Velmora.Address().read());
            }
        });
        Velmora.Site.onIndex(function (index) {
            self.indexChanged(index);
        });
        Velmora.Site.whenIndex().then(function () {
            self.follow(new Velmora.Address().read());
        });
        Velmora.Site.load("t=" + Date.now()).catch(function () {
            Velmora.Loading.done("world");
            showMessage("This folder holds no site: data/worlds.js cannot be loaded.");
        });
    }

    // Opens what an address asks for.
    Choice.prototype.follow = function (wanted) {
        var index = Velmora.Site.index();
        if (wanted.world !== undefined) {
            var named = Velmora.Site.find(wanted.world);
            if (named) {
                this.open(named, wanted);
            } else {
                this.showChooser("This site holds no world named " + quoted(wanted.world) +
                    ": choose one of its worlds.");
            }
        } else if (index.worlds.length === 0) {
            this.showChooser("");
        } else if (index.worlds.length === 1 || asksForPlace(wanted)) {
            // The first that has ground to show.
            var first = index.worlds.filter(drawable)[0] || index.worlds[0];
            this.open(first, wanted);
        } else {
            this.showChooser("");
        }
    };

    // The list of worlds, with `message` above it, over the world shown if there is one.
    Choice.prototype.showChooser = function (message) {
        Velmora.Loading.done("world");
        var app = Velmora.app;
        this.chooser.show(Velmora.Site.index(), message, app ? app.world.folder : null);
    };

    // Shows world `entry` (of the site's index), then what `wanted` (an address read) asks for
    // there; null: the whole world, in the view shown.
    Choice.prototype.open = function (entry, wanted) {
        if (!drawable(entry)) {
            this.showChooser("The world " + quoted(entry.name) + " holds no sector yet: there " +
                "is nothing of it to show.");
            return;
        }
        // Chosen from the list of worlds: the keys go on to the world's view.
        this.focusNext = this.chooser.shown();
        this.chooser.hide();
        var app = Velmora.app;
        if (app && app.world.folder === entry.folder && this.wantedFolder === entry.folder) {
            if (wanted) {
                app.apply(wanted, false);
            }
            this.focusView();
            return;
        }
        this.wantedFolder = entry.folder;
        this.gone = "";
        this.load(entry, wanted, "world");
    };

    // The view takes the keys once a world chosen from the list of worlds shows.
    Choice.prototype.focusView = function () {
        if (this.focusNext && Velmora.app && !this.chooser.shown()) {
            Velmora.app.focusView();
        }
        this.focusNext = false;
    };

    // Loads world `entry` (waiting under `loading`'s name) and hands it to the page: its first,
    // another in place of the one shown, or a later version of the one shown.
    Choice.prototype.load = function (entry, wanted, loading) {
        var self = this;
        // Loads under one name overlap when the user chooses again before the last one came.
        this.loads[loading] = (this.loads[loading] || 0) + 1;
        Velmora.Loading.start(loading);
        var settled = function () {
            self.loads[loading] -= 1;
            if (self.loads[loading] === 0) {
                Velmora.Loading.done(loading);
            }
        };
        Velmora.openWorld(entry).then(function (world) {
            settled();
            if (!world || world.folder !== self.wantedFolder) {
                return;
            }
            var app = Velmora.app;
            if (!app) {
                Velmora.app = new Velmora.App(world);
            } else if (app.world === world) {
                // Back to the one shown before another one came.
                if (wanted) {
                    app.apply(wanted, false);
                }
            } else if (app.world.folder === world.folder) {
                app.setWorld(world);
            } else {
                app.changeWorld(world);
                if (wanted) {
                    app.apply(wanted, false);
                }
            }
            self.switcher.render(Velmora.Site.index(), world.folder, world.world);
            self.focusView();
        }, function (error) {
            settled();
            if (entry.folder !== self.wantedFolder) {
                return;
            }
            var app = Velmora.app;
            if (app && app.world.folder === entry.folder) {
                // A later version that cannot be read: the page keeps the one it has.
                console.warn(error.message);
                return;
            }
            self.wantedFolder = app ? app.world.folder : null;
            self.showChooser("The world " + quoted(entry.name) + " cannot be read: " +
                error.message + ".");
        });
    };

    // A later index (a page served live): both lists follow it; the world shown follows its
    // version, or, gone from the site or left without a sector, stays as it was, saying so.
    Choice.prototype.indexChanged = function (index) {
        var app = Velmora.app;
        if (this.chooser.shown()) {
            this.chooser.render(index);
        }
        if (!app) {
            return;
        }
        var folder = app.world.folder;
        this.switcher.render(index, folder, app.world.world);
        // A site that came to hold several worlds names the one shown in its links from now on.
        app.remember();
        if (this.wantedFolder !== folder) {
            return;
        }
        var entry = null;
        index.worlds.forEach(function (candidate) {
            if (candidate.folder === folder) {
                entry = candidate;
            }
        });
        var gone = !entry ? "is no longer on this site" :
            !drawable(entry) ? "holds no sector any more" : "";
        if (gone !== this.gone) {
            this.gone = gone;
            if (gone) {
                app.notice.show("The world " + quoted(app.world.world) + " " + gone + ": the " +
                    "page keeps what it showed.");
            }
        }
        if (!gone && entry.version > app.world.version) {
            this.load(entry, null, "update");
        }
    };

    Velmora.Choice = Choice;
    Velmora.choice = new Choice();
})();
