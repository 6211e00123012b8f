#pragma once
// A time limit on receiving each request's line and headers. The daemon's idle timeout alone
// lets a client that sends one header line a second hold its connection for good; here every
// connection waiting for a request has until its deadline to complete the headers, or its
// socket is shut down (the daemon then sees it closed and lets it go).
//
// Each watched connection's socket is held as a duplicate of its own, so that a shutdown can
// never reach a later connection that was handed the same descriptor number.

#include <chrono>
#include <map>
#include <mutex>
#include <optional>

#include "world/file_descriptor.h"

namespace web::serve {

class RequestDeadline {
public:
    using Clock = std::chrono::steady_clock;

    explicit RequestDeadline(Clock::duration limit) : limit_(limit) {}

    // A connection came in on `socket`: its first request is awaited from `now`.
    void Opened(const void* connection, int socket, Clock::time_point now);
    // Its request's headers are all in: no deadline while it is answered.
    void Begun(const void* connection);
    // Its answer is sent: the next request on it is awaited from `now`.
    void Ended(const void* connection, Clock::time_point now);
    void Closed(const void* connection);

    // Shuts down the connections whose request is overdue at `now`; how many.
    std::size_t Expire(Clock::time_point now);

    std::size_t Watched() const;

private:
    struct Connection {
        world::FileDescriptor socket;
        std::optional<Clock::time_point> awaitedSince;
    };

    Clock::duration limit_;
    mutable std::mutex mutex_;
    std::map<const void*, Connection> connections_;
};

}  // namespace web::serve
