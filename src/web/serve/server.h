#pragma once
// What `velmora serve` asks of its HTTP server, without the server itself: the server and the
// HTTP library it stands on live in a module that only `serve` loads (server_module.h), so that
// velmora's other commands never load an HTTP or TLS library.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace web::serve {

struct ServerOptions {
    std::string address = "127.0.0.1";  // IPv4 or IPv6; "::" is both
    std::uint16_t port = 8765;          // 0: any free one
    unsigned connectionLimit = 1000;
    // Connections from one client address at once; behind a reverse proxy every page comes
    // from the proxy's address (each open page holds one for its events).
    unsigned clientLimit = 64;
    unsigned idleSeconds = 10;  // a connection that says nothing for this long is closed
    // A request's line and headers must be in within this long of the connection's start (or of
    // the previous answer on it), however slowly they come.
    std::chrono::milliseconds requestTime{10000};
    // A comment line on every event stream this often: proxies close a stream silent too long,
    // and a write is how a closed one is found where the socket says nothing.
    std::chrono::milliseconds heartbeat{15000};
    std::size_t requestMemory = 16 * 1024;  // the request line and headers, all told
    unsigned headerLimit = 64;
};

struct ServerFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Server {
public:
    virtual ~Server() = default;

    // Serves `site` from now on (until then requests are answered 503); throws ServerFailure
    // when it cannot be opened.
    virtual void Open(const std::filesystem::path& site) = 0;
    // The port listened on (the one chosen when asked for 0).
    virtual std::uint16_t Port() const = 0;
    // Sends one event to every page listening on /events: `event: NAME` and `data: DATA`
    // (one line).
    virtual void Announce(const std::string& name, const std::string& data) = 0;
};

}  // namespace web::serve
