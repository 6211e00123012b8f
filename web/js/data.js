// The site's data: every file under data/ is a classic script that hands its bytes to
// Velmora.receive (a page opened from disk may not fetch). Loading a file is adding a <script>
// element; its payload is base64 of raw deflate, inflated here.
"use strict";

var Velmora = window.Velmora || {};
window.Velmora = Velmora;

(function () {
    // How many files may load at once; the requests waiting for a turn, smallest priority first;
    // the one request of each key whose script is in the page (a data file names its key only,
    // so a key is never loading twice at once).
    var MaxLoading = 6;
    var queue = [];
    var inFlight = new Map();
    // The latest request of each key, loading or waiting.
    var latest = new Map();

    function takeTurn() {
        queue.sort(function (a, b) { return a.priority - b.priority; });
        for (var k = 0; k < queue.length && inFlight.size < MaxLoading;) {
            var request = queue[k];
            if (inFlight.has(request.key)) {
                k += 1;
                continue;
            }
            queue.splice(k, 1);
            inFlight.set(request.key, request);
            insertScript(request);
        }
    }

    function finish(request, error) {
        if (inFlight.get(request.key) !== request) {
            return;
        }
        inFlight.delete(request.key);
        if (latest.get(request.key) === request) {
            latest.delete(request.key);
        }
        if (error) {
            request.reject(error);
        }
        takeTurn();
    }

    function insertScript(request) {
        var script = document.createElement("script");
        // Each version of a file has a name of its own: a browser never serves an old one, and
        // an update never touches a file a page is reading.
        script.src = "data/" + request.key +
            (request.version !== undefined && request.version !== null ? ".v" + request.version : "") +
            ".js";
        script.async = true;
        script.onload = function () {
            script.remove();
            // Velmora.receive ran before onload, unless the file held no data.
            finish(request, new Error("data/" + request.key + ".js holds no data"));
        };
        script.onerror = function () {
            script.remove();
            finish(request, new Error("data/" + request.key + ".js cannot be loaded"));
        };
        document.head.appendChild(script);
    }

    // Called by each data file as it runs.
    Velmora.receive = function (key, base64) {
        var request = inFlight.get(key);
        if (!request) {
            return;
        }
        Velmora.inflate(base64).then(request.resolve, request.reject);
        finish(request, null);
    };

    // Loads data/KEY.vVERSION.js (data/KEY.js without a version) and gives
    // its payload as an ArrayBuffer. `priority`: smaller loads sooner. Asking again for a key
    // at the same version gives the same promise, its priority raised when the new one is
    // smaller.
    Velmora.load = function (key, version, priority) {
        priority = priority || 0;
        var known = latest.get(key);
        if (known && known.version === version) {
            if (priority < known.priority) {
                known.priority = priority;
            }
            return known.promise;
        }
        var request = {key: key, version: version, priority: priority};
        request.promise = new Promise(function (resolve, reject) {
            request.resolve = resolve;
            request.reject = reject;
        });
        latest.set(key, request);
        queue.push(request);
        takeTurn();
        return request.promise;
    };

    // Forgets the requests still waiting for a turn that `keep` says no to (the view moved on).
    Velmora.dropWaiting = function (keep) {
        queue = queue.filter(function (request) {
            if (keep(request.key)) {
                return true;
            }
            if (latest.get(request.key) === request) {
                latest.delete(request.key);
            }
            request.reject(new Error("no longer wanted"));
            return false;
        });
    };

    // Velmora.load and Velmora.dropWaiting for the files of one world, named by their keys below
    // its folder (data/W/): "tiles/0/1_2" is data/W/tiles/0/1_2.vN.js. What another world
    // waits for is none of theirs to drop.
    Velmora.worldData = function (folder) {
        var prefix = folder + "/";
        return {
            load: function (key, version, priority) {
                return Velmora.load(prefix + key, version, priority);
            },
            dropWaiting: function (keep) {
                Velmora.dropWaiting(function (key) {
                    return key.indexOf(prefix) !== 0 || keep(key.slice(prefix.length));
                });
            },
        };
    };

    // Base64 of raw deflate to the inflated bytes.
    Velmora.inflate = function (base64) {
        var bytes;
        if (Uint8Array.fromBase64) {
            // Ten times faster than atob and a copy, where the browser has it.
            bytes = Uint8Array.fromBase64(base64);
        } else {
            var binary = atob(base64);
            bytes = new Uint8Array(binary.length);
            for (var i = 0; i < binary.length; i += 1) {
                bytes[i] = binary.charCodeAt(i);
            }
        }
        var stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream("deflate-raw"));
        return new Response(stream).arrayBuffer();
    };

    // A grid of u16 stored predicted in two planes (docs/WEB.md) from `bytes` at `offset`:
    // width x height values, row-major (index j width + i).
    Velmora.decodeHeights = function (bytes, offset, width, height) {
        var count = width * height;
        var low = new Uint8Array(bytes.buffer, bytes.byteOffset + offset, count);
        var high = new Uint8Array(bytes.buffer, bytes.byteOffset + offset + count, count);
        var values = new Uint16Array(count);
        for (var j = 0; j < height; j += 1) {
            var row = j * width;
            for (var i = 0; i < width; i += 1) {
                var at = row + i;
                var residual = low[at] | (high[at] << 8);
                var prediction;
                if (j === 0) {
                    prediction = i === 0 ? 0 : values[at - 1];
                } else if (i === 0) {
                    prediction = values[at - width];
                } else {
                    prediction = values[at - 1] + values[at - width] - values[at - width - 1];
                }
                values[at] = (prediction + residual) & 0xFFFF;
            }
        }
        return values;
    };
})();
