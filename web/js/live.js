// A page served by `velmora serve` follows the game: the server tells of each batch of the
// game's writes on `events` (server-sent events), and the page loads the new data/worlds.js:
// the lists of worlds follow it, and the world shown its new version (js/choice.js). A page
// from disk has no server, and a site on a plain static host was written by `velmora web`:
// neither listens.
"use strict";

(function () {
    // "none" (not served live), "connecting", "open" or "lost".
    var state = "none";
    Velmora.liveState = function () {
        return state;
    };
    if (!/^https?:$/.test(window.location.protocol) || typeof EventSource !== "function") {
        return;
    }
    // The server asks for this much between tries ("retry: 2000"); the same after the browser
    // gives up on its own (a refusal rather than a lost connection).
    var RetryMilliseconds = 2000;
    // A stream refused before it ever opened (a server at its limit of connections for the
    // proxy's address, a proxy whose server is not up yet) is asked again less and less often.
    var LongestRetryMilliseconds = 60000;
    var Lost = "Server lost; reconnecting. ";
    var opened = false;
    var lost = false;
    var refusals = 0;

    function notice(text) {
        var element = document.getElementById("status");
        if (element && Velmora.Status) {
            Velmora.Status.of(element).setNotice(text);
        }
    }

    // data/worlds.js with a query of its own, so that no cache answers with an older one.
    function loadIndex(tag) {
        Velmora.Loading.start("index");
        var done = function () {
            Velmora.Loading.done("index");
        };
        Velmora.Site.load("v=" + encodeURIComponent(tag)).then(done, done);
    }

    function connect() {
        var source = new EventSource("events");
        if (!lost) {
            state = "connecting";
        }
        source.addEventListener("open", function () {
            opened = true;
            state = "open";
            if (lost) {
                lost = false;
                notice("");
            }
            // What changed while nobody listened (before the first answer, or while the server
            // was away): worlds.js tells, and one that is not newer changes nothing.
            loadIndex("t" + Date.now());
        });
        source.addEventListener("update", function (event) {
            var update;
            try {
                update = JSON.parse(event.data);
            } catch (error) {
                return;
            }
            var known = Velmora.Site.version();
            if (typeof update.version === "number" && (known === null || update.version > known)) {
                loadIndex(update.version);
            }
        });
        source.addEventListener("error", function () {
            if (source.readyState === EventSource.CLOSED) {
                source.close();
                if (!opened) {
                    // Never answered, though worlds.js says a server follows the site: asked
                    // again later, without a word, since nothing the page showed was lost.
                    refusals += 1;
                    state = "connecting";
                    setTimeout(connect, Math.min(LongestRetryMilliseconds,
                        RetryMilliseconds * Math.pow(2, refusals - 1)));
                    return;
                }
                setTimeout(connect, RetryMilliseconds);
            }
            // What the page shows stays; the browser tries again by itself meanwhile.
            state = "lost";
            if (!lost) {
                lost = true;
                notice(Lost);
            }
        });
    }

    // Only a site that velmora serve wrote has events to listen to (worlds.js says so): a site
    // copied to a plain host asks for none.
    Velmora.Site.whenIndex().then(function (index) {
        if (index.live) {
            connect();
        }
    });
})();
