#include "web/serve/request_deadline.h"

#include <fcntl.h>
#include <sys/socket.h>

namespace web::serve {

void RequestDeadline::Opened(const void* connection, int socket, Clock::time_point now) {
    world::FileDescriptor copy(fcntl(socket, F_DUPFD_CLOEXEC, 0));
    const std::lock_guard lock(mutex_);
    connections_[connection] = Connection{std::move(copy), now};
}

void RequestDeadline::Begun(const void* connection) {
    const std::lock_guard lock(mutex_);
    if (const auto found = connections_.find(connection); found != connections_.end()) {
        found->second.awaitedSince.reset();
    }
}

void RequestDeadline::Ended(const void* connection, Clock::time_point now) {
    const std::lock_guard lock(mutex_);
    if (const auto found = connections_.find(connection); found != connections_.end()) {
        found->second.awaitedSince = now;
    }
}

void RequestDeadline::Closed(const void* connection) {
    const std::lock_guard lock(mutex_);
    connections_.erase(connection);
}

std::size_t RequestDeadline::Expire(Clock::time_point now) {
    std::size_t expired = 0;
    const std::lock_guard lock(mutex_);
    for (auto& [connection, watched] : connections_) {
        if (watched.awaitedSince && now - *watched.awaitedSince >= limit_ &&
            watched.socket.get() >= 0) {
            shutdown(watched.socket.get(), SHUT_RDWR);
            watched.awaitedSince.reset();
            ++expired;
        }
    }
    return expired;
}

std::size_t RequestDeadline::Watched() const {
    const std::lock_guard lock(mutex_);
    return connections_.size();
}

}  // namespace web::serve
