// The site's index (data/worlds.js): its worlds, their versions and pictures, whether a server
// follows it and the ground texture every world shares. data/worlds.js calls Velmora.worlds(meta)
// as it runs; it is the one file loaded without a version, afresh each time, and a page served
// live loads it again after each update.
"use strict";

(function () {
    var index = null;
    var waiters = [];
    var listeners = [];

    // Velmora.worlds from data/worlds.js: an index no newer than the one here (a late answer, a
    // catch-up that found nothing new) changes nothing.
    Velmora.worlds = function (meta) {
        if (!meta || !Array.isArray(meta.worlds) || (index && !(meta.version > index.version))) {
            return;
        }
        var previous = index;
        index = {
            version: meta.version,
            live: meta.live === true,
            ground: meta.ground === undefined ? null : meta.ground,
            worlds: meta.worlds.slice(),
        };
        waiters.splice(0).forEach(function (resolve) { resolve(index); });
        if (previous) {
            listeners.forEach(function (listener) { listener(index, previous); });
        }
    };

    // Loads data/worlds.js with a query of its own (`tag`), so that no cache answers with an
    // older one: resolves once it ran, rejects when it cannot be loaded.
    function load(tag) {
        return new Promise(function (resolve, reject) {
            var script = document.createElement("script");
            script.src = "data/worlds.js?" + tag;
            script.onload = function () {
                script.remove();
                resolve();
            };
            script.onerror = function () {
                script.remove();
                reject(new Error("data/worlds.js cannot be loaded"));
            };
            document.head.appendChild(script);
        });
    }

    Velmora.Site = {
        load: load,
        // The index, once there: resolves with it (at once when it is there already).
        whenIndex: function () {
            return index ? Promise.resolve(index) : new Promise(function (resolve) {
                waiters.push(resolve);
            });
        },
        // Calls listener(index, previous) each time a later index replaces the one there.
        onIndex: function (listener) {
            listeners.push(listener);
        },
        index: function () {
            return index;
        },
        // The site's version, null before its index is there.
        version: function () {
            return index ? index.version : null;
        },
        // The world of that exact name (case and all), or null.
        find: function (name) {
            var worlds = index ? index.worlds : [];
            for (var k = 0; k < worlds.length; k += 1) {
                if (worlds[k].name === name) {
                    return worlds[k];
                }
            }
            return null;
        },
        // Whether the site holds more than one world: its links then name theirs.
        several: function () {
            return index !== null && index.worlds.length > 1;
        },
    };
})();
