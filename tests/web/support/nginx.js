// Debian's nginx in front of a local server, as a server owner runs it: the locations a test
// gives (the lines owners copy into their server block), inside the http settings of Debian's
// /etc/nginx/nginx.conf. Each instance has a folder of its own for its configuration, pid and
// temporary files, listens on a free loopback port, and runs in the foreground as one process,
// a child of the test that ends it: nothing is left running or written elsewhere.
"use strict";

const {spawn} = require("node:child_process");
const fs = require("node:fs");
const net = require("node:net");
const os = require("node:os");
const path = require("node:path");

const Executable = process.env.VELMORA_NGINX || "/usr/sbin/nginx";
// A port another process took between our look and nginx's bind: a few more looks.
const Tries = 5;
const StartPatience = 10000;

function freePort() {
    return new Promise((resolve, reject) => {
        const probe = net.createServer();
        probe.once("error", reject);
        probe.listen(0, "127.0.0.1", () => {
            const {port} = probe.address();
            probe.close(() => resolve(port));
        });
    });
}

function accepts(port) {
    return new Promise((resolve) => {
        const socket = net.connect(port, "127.0.0.1");
        socket.once("connect", () => {
            socket.destroy();
            resolve(true);
        });
        socket.once("error", () => resolve(false));
    });
}

// Debian's http settings; the error log on stderr, which the test keeps.
function configuration(folder, port, locations) {
    const temp = (name) => JSON.stringify(path.join(folder, name));
    return `daemon off;
master_process off;
pid ${JSON.stringify(path.join(folder, "nginx.pid"))};
error_log stderr warn;
events {
    worker_connections 768;
}
http {
    sendfile on;
    tcp_nopush on;
    types_hash_max_size 2048;
    include /etc/nginx/mime.types;
    default_type application/octet-stream;
    gzip on;
    access_log off;
    client_body_temp_path ${temp("body")};
    proxy_temp_path ${temp("proxy")};
    fastcgi_temp_path ${temp("fastcgi")};
    uwsgi_temp_path ${temp("uwsgi")};
    scgi_temp_path ${temp("scgi")};
    server {
        listen 127.0.0.1:${port};
${locations.trim().split("\n").map((line) => "        " + line).join("\n")}
    }
}
`;
}

class Nginx {
    // Starts nginx with `locations` in its one server block and resolves once it listens.
    static async start(locations) {
        const folder = fs.mkdtempSync(path.join(os.tmpdir(), "velmora-nginx-"));
        let failures = "";
        for (let attempt = 0; attempt < Tries; attempt += 1) {
            const port = await freePort();
            const file = path.join(folder, "nginx.conf");
            fs.writeFileSync(file, configuration(folder, port, locations));
            const child = spawn(Executable, ["-p", folder + "/", "-c", file, "-e", "stderr"], {
                stdio: ["ignore", "ignore", "pipe"],
            });
            const nginx = new Nginx(child, folder, port);
            if (await nginx.listening()) {
                return nginx;
            }
            await nginx.end();
            failures += nginx.stderr();
            if (!/Address already in use/.test(nginx.stderr())) {
                break;
            }
        }
        fs.rmSync(folder, {recursive: true, force: true});
        throw new Error(`nginx did not start: ${failures}`);
    }

    constructor(child, folder, port) {
        this.process = child;
        this.folder = folder;
        this.port = port;
        this.address = `http://127.0.0.1:${port}`;
        this.log = "";
        child.stderr.setEncoding("utf8");
        child.stderr.on("data", (text) => { this.log += text; });
        this.exited = new Promise((resolve) => {
            child.on("exit", (code, signal) => resolve({code, signal}));
            child.on("error", (error) => {
                this.log += String(error);
                resolve({code: null, signal: null});
            });
        });
    }

    // What nginx logged: its errors and warnings (an upstream it could not reach, a timeout).
    stderr() {
        return this.log;
    }

    // nginx writes its pid file once its listening socket is bound: the port is then ours,
    // not another program's that took it first.
    async listening() {
        let gone = false;
        this.exited.then(() => { gone = true; });
        const pidFile = path.join(this.folder, "nginx.pid");
        const deadline = Date.now() + StartPatience;
        while (!gone && Date.now() < deadline) {
            const written = fs.existsSync(pidFile) ? fs.readFileSync(pidFile, "utf8").trim() : "";
            if (written === String(this.process.pid) && await accepts(this.port)) {
                return !gone;
            }
            await new Promise((resolve) => setTimeout(resolve, 50));
        }
        return false;
    }

    // SIGTERM: nginx closes every connection at once; SIGKILL if it does not go.
    async end() {
        if (this.process.exitCode === null && this.process.signalCode === null &&
            this.process.pid !== undefined) {
            this.process.kill("SIGTERM");
            const late = setTimeout(() => this.process.kill("SIGKILL"), 5000);
            await this.exited;
            clearTimeout(late);
        }
    }

    // Ends nginx and removes its folder.
    async stop() {
        await this.end();
        fs.rmSync(this.folder, {recursive: true, force: true});
    }
}

module.exports = {Nginx};
