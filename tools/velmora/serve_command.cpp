// velmora serve [WORLD [DIR]], velmora serve --all [DIR]: the site of a world, or of every world
// of the install, served over HTTP, live as the game writes it.

#include <arpa/inet.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "command.h"
#include "headless_catalogue/site_worlds.h"
#include "site_messages.h"
#include "site_options.h"
#include "web/serve/live_site.h"
#include "web/serve/server_module.h"
#include "web/site_session.h"
#include "world_layout.h"

namespace {

namespace fs = std::filesystem;

struct ServeRequest {
    // [WORLD [DIR]], or with --all [DIR].
    std::vector<std::string> operands;
    bool all = false;
    std::string texture;
    std::string listen = "127.0.0.1";
    int port = 8765;
    int clientLimit = 64;
    bool force = false;
};

bool Loopback(const std::string& address) {
    in_addr v4{};
    if (inet_pton(AF_INET, address.c_str(), &v4) == 1) {
        return (ntohl(v4.s_addr) >> 24) == 127;
    }
    return address == "::1";
}

// Every address of the machine: 0.0.0.0 or ::.
bool Unspecified(const std::string& address) {
    in_addr v4{};
    in6_addr v6{};
    return (inet_pton(AF_INET, address.c_str(), &v4) == 1 && v4.s_addr == INADDR_ANY) ||
           (inet_pton(AF_INET6, address.c_str(), &v6) == 1 && IN6_IS_ADDR_UNSPECIFIED(&v6));
}

// The address a person opens: one of this machine's for an unspecified one.
std::string OpenableUrl(const std::string& address, unsigned port) {
    std::string host = address;
    if (Unspecified(address)) {
        host = address.find(':') != std::string::npos ? "::1" : "127.0.0.1";
    }
    const bool six = host.find(':') != std::string::npos;
    return "http://" + (six ? "[" + host + "]" : host) + ":" + std::to_string(port) + "/";
}

std::string HostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') {
        return "this-machine";
    }
    return name;
}

// Room for as many connections as the server takes, and some.
void RaiseFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// The site server module: beside the velmora executable (the build tree), or where it is
// installed.
web::serve::ServerModule SiteServerModule() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        throw CommandFailure(ExitFailure, "cannot find the velmora executable's folder");
    }
    const fs::path folder = executable.parent_path();
    return web::serve::ServerModule(
        {folder / VELMORA_SITE_SERVER_NAME, folder / VELMORA_SITE_SERVER_INSTALLED});
}

int RunServe(const ServeRequest& request) {
    // Ctrl+C and SIGTERM are waited for by this thread alone; every thread started from here
    // on has them blocked.
    sigset_t ending;
    sigemptyset(&ending);
    sigaddset(&ending, SIGINT);
    sigaddset(&ending, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &ending, nullptr);
    RaiseFileLimit();

    // No world named: every one, as worlds come and go. A misuse is said before the address is
    // taken.
    const bool all = request.all || request.operands.empty();
    if (request.operands.size() > (all ? 1u : 2u)) {
        throw CommandFailure(ExitUsage, all ? "--all takes no WORLD, only the site's DIR"
                                            : "name one WORLD and the DIR, or --all [DIR]");
    }
    std::vector<std::string> worlds;
    std::string named;
    if (!request.operands.empty()) {
        (all ? named : worlds.emplace_back()) = request.operands.front();
        if (!all && request.operands.size() == 2) {
            named = request.operands.back();
        }
    }
    // The address is taken first: a port in use or an address that is none is said at once,
    // not after the whole site is written. Until then pages are asked to come back.
    web::serve::ServerOptions options;
    options.address = request.listen;
    options.port = static_cast<std::uint16_t>(request.port);
    options.clientLimit = static_cast<unsigned>(request.clientLimit);
    std::unique_ptr<web::serve::Server> server;
    try {
        server = SiteServerModule().Start(options);
    } catch (const web::serve::ServerFailure& failure) {
        throw CommandFailure(ExitFailure, failure.what());
    }

    SiteMessages messages("serve");
    headless_catalogue::SiteWorlds catalogue;
    web::SiteSession session(
        catalogue, worlds, all, [&] { return SiteOptionsFor(request.texture, request.force); },
        messages.Reports());
    const fs::path folder = named.empty() ? session.DefaultFolder() : fs::path(named);
    // The site is this server's for as long as it runs: no other writer comes between its
    // updates, and one that tries is told where the site is served.
    const std::string pid = std::to_string(getpid());
    web::SiteLock lock = session.Lock(folder, "velmora serve (pid " + pid + ")");
    SayUnplaced("serve", session.Write(lock, true).unplaced);
    try {
        server->Open(folder);
    } catch (const web::serve::ServerFailure& failure) {
        throw CommandFailure(ExitFailure, failure.what());
    }
    const std::string url = OpenableUrl(request.listen, server->Port());
    lock.Describe("velmora serve at " + url + " (pid " + pid + ")");
    std::printf("%s\n", url.c_str());
    std::fflush(stdout);
    if (Unspecified(request.listen)) {
        std::fprintf(stderr,
                     "velmora serve: listening on every address of this machine: the world is "
                     "visible to its networks, as http://%s:%u/\n",
                     HostName().c_str(), server->Port());
    } else if (!Loopback(request.listen)) {
        std::fprintf(stderr,
                     "velmora serve: listening on %s: the world is visible to that network\n",
                     request.listen.c_str());
    }
    {
        web::serve::LiveSite live(
            session.Terrains(), folder,
            [&] {
                const web::SiteReport report = session.Write(lock, true, false);
                SayUnplaced("serve", report.unplaced);
                return web::serve::SiteUpdate{report.version, report.changes, report.superseded,
                                              session.Terrains()};
            },
            [&] { return session.WorldsMoved(); }, *server);
        int signal = 0;
        sigwait(&ending, &signal);
    }
    server.reset();
    return ExitSuccess;
}

}  // namespace

void AddServeCommand(CLI::App& velmora, ChosenCommand& chosen) {
    auto request = std::make_shared<ServeRequest>();
    CLI::App* serve = AddSubcommand(
        velmora, "serve", "the worlds' web site, served live",
        "Makes or updates the site of `velmora web` in DIR (default: a folder of its own below\n"
        "$XDG_CACHE_HOME/velmora) and serves exactly that site over HTTP, on 127.0.0.1 unless\n"
        "--listen says otherwise (0.0.0.0 or :: for every address). Its address is the first\n"
        "line on stdout. WORLD alone is served, or without one (or with --all) every world of the\n"
        "install. The worlds' terrain folders are watched: as the game writes, rewrites or\n"
        "removes sectors, the site follows and open pages show the change without a reload; a\n"
        "world the game makes or removes comes into or leaves the site's list of worlds.\n"
        "Ctrl+C or SIGTERM end it.");
    serve
        ->add_option("WORLD", request->operands,
                     "a world, as listed or as its folder (none: every world), then the site's "
                     "folder")
        ->expected(0, 2);
    serve->add_flag("--all", request->all,
                    "every world of the install (then DIR alone may follow)");
    serve->add_option("--port", request->port, "the port (default 8765; 0: any free one)")
        ->check(CLI::Range(0, 65535))
        ->type_name("N");
    serve
        ->add_option("--listen", request->listen,
                     "the address listened on (default 127.0.0.1; others open the world to "
                     "their network)")
        ->type_name("ADDR");
    serve
        ->add_option("--client-limit", request->clientLimit,
                     "connections one client address may hold at once (default 64; behind a "
                     "reverse proxy every page comes from the proxy's address)")
        ->check(CLI::Range(1, 1000))
        ->type_name("N");
    serve
        ->add_option("--texture", request->texture,
                     "ground texture (default: terrain.image in the current directory)")
        ->type_name("FILE");
    serve->add_flag("--force", request->force,
                    "writes into a folder that holds other files, removing none of them");
    serve->callback([&chosen, request] {
        chosen = {"serve",
                  [request] { return WithSiteFailures([&] { return RunServe(*request); }); }};
    });
}
