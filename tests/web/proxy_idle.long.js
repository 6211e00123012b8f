// An event stream left idle for two minutes, through Debian's nginx on /map/ (which closes an
// upstream that says nothing for 60 s) and straight from velmora serve: both stay connected,
// and an update the game causes afterwards still arrives on each. Read as EventSource reads it,
// by a plain HTTP client: no browser. Two minutes of waiting, so not a web test: CTest's label
// long, which scripts/test runs beside the fuzzers.
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const http = require("node:http");
const os = require("node:os");
const path = require("node:path");
const {after, before, describe, test} = require("node:test");

const {terrainOf, writeSector} = require("./support/live_map");
const {Nginx} = require("./support/nginx");
const {startServe} = require("./support/serve");
const {writePrefix} = require("./support/world_prefix");

const Idle = 125000;
// The machine is busy fuzzing meanwhile: this is about arriving at all, not promptly.
const Patience = 20000;

const Start = {sectors: ["0_0", "1_0"], sample: (x, y) => 1000 + x + y};

function within(promise, what) {
    let timer;
    const late = new Promise((resolve, reject) => {
        timer = setTimeout(() => reject(new Error(`no ${what} in ${Patience} ms`)), Patience);
    });
    return Promise.race([promise, late]).finally(() => clearTimeout(timer));
}

// GET `url` as an event stream: the response's status and type once they come, the events as
// they come ({event, data}; comments and retry lines are not events), and how it ended, if it
// did.
class EventStream {
    constructor(url) {
        this.status = 0;
        this.type = "";
        this.events = [];
        this.ended = null;
        this.waiters = [];
        let text = "";
        this.request = http.get(url, {headers: {Accept: "text/event-stream"}}, (response) => {
            this.status = response.statusCode;
            this.type = response.headers["content-type"] || "";
            response.setEncoding("utf8");
            response.on("data", (chunk) => {
                text += chunk;
                let end;
                while ((end = text.indexOf("\n\n")) >= 0) {
                    this.take(text.slice(0, end));
                    text = text.slice(end + 2);
                }
            });
            response.on("end", () => this.end("the server ended the stream"));
            response.on("error", (error) => this.end(String(error)));
        });
        this.request.on("error", (error) => this.end(String(error)));
    }

    take(block) {
        const fields = {};
        for (const line of block.split("\n")) {
            const match = /^([a-z]+): ?(.*)$/.exec(line);
            if (match) {
                fields[match[1]] = match[2];
            }
        }
        if (fields.data !== undefined) {
            this.events.push({event: fields.event || "message", data: fields.data});
            this.waiters.forEach((wake) => wake());
        }
    }

    end(why) {
        if (this.ended === null) {
            this.ended = why;
        }
        this.waiters.forEach((wake) => wake());
    }

    // Resolves with the first event `test` accepts, or rejects once the stream has ended.
    next(test) {
        return new Promise((resolve, reject) => {
            const look = () => {
                const found = this.events.find(test);
                if (found) {
                    resolve(found);
                    return true;
                }
                if (this.ended !== null) {
                    reject(new Error(`the stream ended: ${this.ended}`));
                    return true;
                }
                return false;
            };
            if (!look()) {
                this.waiters.push(look);
            }
        });
    }

    close() {
        this.request.destroy();
    }
}

describe("an idle event stream", () => {
    let root;
    let terrain;
    let server;
    let nginx;
    const streams = [];

    before(async () => {
        root = fs.mkdtempSync(path.join(os.tmpdir(), "velmora-idle-"));
        const prefix = path.join(root, "prefix");
        writePrefix(prefix, {Test: Start});
        terrain = terrainOf(prefix, "Test");
        server = await within(startServe(prefix, "Test", path.join(root, "site"), 0), "address");
        nginx = await Nginx.start(
            `location /map/ {\n    proxy_pass http://127.0.0.1:${server.port}/;\n}`);
    });

    after(async () => {
        streams.forEach((stream) => stream.close());
        if (nginx) {
            await nginx.stop();
        }
        if (server && server.process.exitCode === null && server.process.signalCode === null) {
            server.process.kill("SIGKILL");
        }
        fs.rmSync(root, {recursive: true, force: true});
    });

    test("stays open for two minutes through nginx and directly, and then brings an update",
        async (t) => {
            const routes = [
                {name: "through nginx", url: nginx.address + "/map/events"},
                {name: "directly", url: server.address + "/events"},
            ];
            for (const route of routes) {
                streams.push(new EventStream(route.url));
            }
            await new Promise((resolve) => setTimeout(resolve, Idle));

            routes.forEach((route, k) => {
                const stream = streams[k];
                assert.equal(stream.ended, null, `${route.name}: ${stream.ended}; ` +
                    `nginx: ${nginx.stderr()}`);
                assert.equal(stream.status, 200, route.name);
                assert.match(stream.type, /^text\/event-stream/, route.name);
                assert.deepEqual(stream.events, [], `${route.name}: nothing changed meanwhile`);
            });

            const written = Date.now();
            writeSector(terrain, "2_0", 1500);
            const updates = await Promise.all(streams.map((stream, k) => within(
                stream.next(({event}) => event === "update"), `update ${routes[k].name}`)
                .then((update) => ({update, arrived: Date.now()}))));
            updates.forEach(({update, arrived}, k) => {
                t.diagnostic(`${routes[k].name}: the update after ${Idle} ms idle in ` +
                    `${arrived - written} ms`);
                const data = JSON.parse(update.data);
                assert.deepEqual(data.worlds, {Test: ["2_0"]}, routes[k].name);
                assert.equal(typeof data.version, "number", routes[k].name);
            });
        });
});
