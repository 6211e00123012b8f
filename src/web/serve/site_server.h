#pragma once
// A static site served over HTTP, read-only, on libmicrohttpd: GET and HEAD of the site's files
// (others 405), each path found by the site's path rule and opened so that nothing outside the
// site is reached; versioned data files cached for good, the rest revalidated by ETag; and
// /events, a stream of server-sent events that tells open pages what changed.
//
// Why libmicrohttpd: it serves every connection from one event loop (epoll), so a few hundred
// slow or half-open clients hold no thread and cannot keep a real request waiting; it limits
// connections in all and per client address, the memory of a request's line and headers, and
// idle time, itself; and it streams a response from a callback whose connection can be suspended
// until there is something to say, which is what server-sent events need.
//
// What it does not do is done beside it, by a keeper thread: a deadline on each request's
// headers however slowly they trickle in, a comment line on every stream now and then (which
// keeps proxies from timing streams out), and a look at every suspended stream's socket, so that
// one its client closed is let go at once rather than at the next event.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "web/serve/request_deadline.h"
#include "web/serve/server.h"
#include "world/file_descriptor.h"

struct MHD_Daemon;
struct MHD_Connection;

namespace web::serve {

struct Callbacks;

class SiteServer final : public Server {
public:
    // Listens at once, answering 503 until Open is called; throws ServerFailure when the
    // address cannot be listened on.
    explicit SiteServer(const ServerOptions& options);
    // Listens and serves `site` at once.
    SiteServer(const std::filesystem::path& site, const ServerOptions& options);
    // Ends every stream and closes every connection.
    ~SiteServer() override;
    SiteServer(const SiteServer&) = delete;
    SiteServer& operator=(const SiteServer&) = delete;

    void Open(const std::filesystem::path& site) override;
    std::uint16_t Port() const override { return port_; }

    // The event streams held open now.
    std::size_t Streams();

    void Announce(const std::string& name, const std::string& data) override;

    struct Stream;

private:
    friend struct Callbacks;
    int AnswerFile(MHD_Connection* connection, const std::string& path);
    int AnswerEvents(MHD_Connection* connection);
    // The keeper thread's round: overdue requests, closed streams, heartbeats.
    void Keep(std::stop_token stop);
    // Lets go of the suspended streams whose client has closed its end.
    void ReleaseClosedStreams();
    // Appends `text` to every stream, waking those that wait.
    void SendToAll(const std::string& text);

    std::atomic<int> site_{-1};  // the site's folder, opened once by Open
    world::FileDescriptor siteOwner_;
    ServerOptions options_;
    std::uint16_t port_ = 0;
    MHD_Daemon* daemon_ = nullptr;
    RequestDeadline deadline_;

    std::mutex streamsMutex_;
    std::set<std::shared_ptr<Stream>> streams_;
    bool stopping_ = false;  // under streamsMutex_

    std::mutex keeperMutex_;
    std::condition_variable_any keeperWake_;
    std::jthread keeper_;
};

}  // namespace web::serve
