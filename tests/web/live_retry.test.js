// How a served page asks for its event stream, without a browser: a stream refused before it
// ever opened is asked for again, less and less often (a server at its limit for a proxy's
// address, a proxy up before its server), and one that opened and was lost again after the
// server's two seconds.
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const path = require("node:path");
const vm = require("node:vm");
const {test} = require("node:test");

const Live = path.resolve(__dirname, "..", "..", "web", "js", "live.js");

// live.js in a page of its own: every EventSource it makes, and every wait it asks for.
function servedPage() {
    const sources = [];
    const waits = [];
    class EventSource {
        constructor(url) {
            this.url = url;
            this.readyState = 0;
            this.listeners = {};
            sources.push(this);
        }
        addEventListener(name, listener) {
            this.listeners[name] = listener;
        }
        close() {
            this.readyState = EventSource.CLOSED;
        }
        // The browser gives up on the stream (a refusal or a server gone for good).
        refuse() {
            this.readyState = EventSource.CLOSED;
            this.listeners.error({});
        }
        open() {
            this.readyState = 1;
            this.listeners.open({});
        }
    }
    EventSource.CLOSED = 2;
    const context = vm.createContext({
        EventSource,
        setTimeout: (run, milliseconds) => waits.push({run, milliseconds}),
        document: {getElementById: () => null, createElement: () => ({remove() {}}),
            head: {appendChild() {}}},
    });
    context.window = context;
    context.window.location = {protocol: "http:"};
    context.Velmora = {
        Loading: {start() {}, done() {}},
        Site: {
            version: () => 1,
            whenIndex: () => ({then: (use) => use({live: true})}),
            load: () => Promise.resolve(),
        },
    };
    vm.runInContext(fs.readFileSync(Live, "utf8"), context, {filename: Live});
    return {Velmora: context.Velmora, sources, waits};
}

test("a stream refused before it opened is asked for again, less and less often", () => {
    const page = servedPage();
    assert.equal(page.sources.length, 1);
    assert.equal(page.sources[0].url, "events");
    const asked = [];
    for (let k = 0; k < 8; ++k) {
        page.sources.at(-1).refuse();
        assert.equal(page.Velmora.liveState(), "connecting");
        const wait = page.waits.pop();
        asked.push(wait.milliseconds);
        wait.run();
    }
    assert.deepEqual(asked, [2000, 4000, 8000, 16000, 32000, 60000, 60000, 60000]);
    assert.equal(page.sources.length, 9);
    page.sources.at(-1).open();
    assert.equal(page.Velmora.liveState(), "open");
});

test("a stream lost after it opened is asked for again after two seconds", () => {
    const page = servedPage();
    page.sources[0].open();
    page.sources[0].refuse();
    assert.equal(page.Velmora.liveState(), "lost");
    assert.equal(page.waits.pop().milliseconds, 2000);
});
