#pragma once
// A static site served over HTTP, read-only, on libmicrohttpd: GET and HEAD of the site's files
// (others 405), each path found by the site's path rule and opened so that nothing outside the
// site is reached; versioned data files cached for good, the rest revalidated by ETag; and
// /events, a stream of server-sent events that tells open pages what changed.
//
// Why libmicrohttpd: it serves every connection from one event loop (epoll), so a few hundred
// slow or half-open clients hold no thread and cannot keep a real request waiting; it limits
// connections, the memory of a request's line and headers, and idle time, itself; and it streams
// a response from a callback whose connection can be suspended until there is something to say,
// which is what server-sent events need.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "world/file_descriptor.h"

struct MHD_Daemon;
struct MHD_Connection;

namespace web::serve {

struct Callbacks;

struct ServerOptions {
    std::string address = "127.0.0.1";  // IPv4 or IPv6
    std::uint16_t port = 8765;          // 0: any free one
    unsigned connectionLimit = 1000;
    unsigned idleSeconds = 10;  // a connection that says nothing for this long is closed
    std::size_t requestMemory = 16 * 1024;  // the request line and headers, all told
    unsigned headerLimit = 64;
};

struct ServerFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class SiteServer {
public:
    // Serves `site` at once; throws ServerFailure when the address cannot be listened on.
    SiteServer(std::filesystem::path site, const ServerOptions& options);
    // Ends every stream and closes every connection.
    ~SiteServer();
    SiteServer(const SiteServer&) = delete;
    SiteServer& operator=(const SiteServer&) = delete;

    // The port listened on (the one chosen when asked for 0).
    std::uint16_t Port() const { return port_; }

    // Sends one event to every page listening on /events: `event: NAME` and `data: DATA`
    // (one line).
    void Announce(const std::string& name, const std::string& data);

    struct Stream;

private:
    friend struct Callbacks;
    int AnswerFile(MHD_Connection* connection, const std::string& path);
    int AnswerEvents(MHD_Connection* connection);

    world::FileDescriptor site_;
    ServerOptions options_;
    std::uint16_t port_ = 0;
    MHD_Daemon* daemon_ = nullptr;

    std::mutex streamsMutex_;
    std::set<std::shared_ptr<Stream>> streams_;
    bool stopping_ = false;  // under streamsMutex_
};

}  // namespace web::serve
