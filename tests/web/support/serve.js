// `velmora serve` run as a user runs it, on a world written here: its address read from the
// first line it prints, its exit awaited; and requests over raw sockets, sent as written.
"use strict";

const {spawn} = require("node:child_process");
const fs = require("node:fs");
const net = require("node:net");
const path = require("node:path");
const readline = require("node:readline");

const repository = path.resolve(__dirname, "..", "..", "..");
const Velmora = process.env.VELMORA_EXECUTABLE ||
    path.join(repository, "build", "tools", "velmora", "velmora");

// Starts `velmora serve WORLD FOLDER --port PORT` (`--all` for every world of the install when
// `world` is null) with WINEPREFIX at `prefix` and resolves once it printed its address:
// {process, address (no trailing slash), port, stderr(), exited}, where `exited` resolves with
// {code, signal}.
function startServe(prefix, world, folder, port) {
    const home = path.join(prefix, "home");
    fs.mkdirSync(home, {recursive: true});
    const child = spawn(Velmora, ["serve", world === null ? "--all" : world, folder, "--port",
        String(port)], {
        cwd: home,
        env: Object.assign({}, process.env, {
            WINEPREFIX: prefix,
            XDG_CACHE_HOME: path.join(home, "cache"),
        }),
        stdio: ["ignore", "pipe", "pipe"],
    });
    let stderr = "";
    child.stderr.setEncoding("utf8");
    child.stderr.on("data", (text) => { stderr += text; });
    const exited = new Promise((resolve) => {
        child.on("exit", (code, signal) => resolve({code, signal}));
    });
    const lines = readline.createInterface({input: child.stdout});
    const address = new Promise((resolve, reject) => {
        lines.once("line", resolve);
        exited.then(({code, signal}) => reject(new Error(
            `velmora serve ended (${code ?? signal}) before saying its address: ${stderr}`)));
    });
    return address.then((line) => {
        const url = new URL(line.trim());
        return {
            process: child,
            address: url.origin,
            port: Number(url.port),
            stderr: () => stderr,
            exited,
        };
    });
}

// Sends `text` as it is to 127.0.0.1:`port` and gives {status (0: none), head, body} of what
// came back before the server closed the connection, or after `wait` ms of it saying nothing.
function raw(port, text, wait = 3000) {
    return new Promise((resolve, reject) => {
        const socket = net.connect(port, "127.0.0.1");
        const chunks = [];
        let timer = null;
        const finish = () => {
            clearTimeout(timer);
            socket.destroy();
            const answer = Buffer.concat(chunks).toString("latin1");
            const split = answer.indexOf("\r\n\r\n");
            const head = split < 0 ? answer : answer.slice(0, split);
            const match = /^HTTP\/1\.[01] (\d{3})/.exec(answer);
            resolve({status: match ? Number(match[1]) : 0, head,
                body: split < 0 ? "" : answer.slice(split + 4)});
        };
        const quiet = () => {
            clearTimeout(timer);
            timer = setTimeout(finish, wait);
        };
        socket.on("connect", () => {
            socket.write(text);
            quiet();
        });
        socket.on("data", (chunk) => {
            chunks.push(chunk);
            quiet();
        });
        // A server may reset a connection it refuses: what it said before counts.
        socket.on("error", (error) => (error.code === "ECONNREFUSED" ? reject(error) : finish()));
        socket.on("close", finish);
    });
}

module.exports = {startServe, raw, velmoraExecutable: Velmora};
