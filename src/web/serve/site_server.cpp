#include "web/serve/site_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "web/serve/content_type.h"
#include "web/serve/http_validators.h"
#include "web/serve/request_target.h"
#include "web/site_path.h"

namespace web::serve {

struct SiteServer::Stream {
    std::mutex mutex;
    std::string pending;
    MHD_Connection* connection = nullptr;
    int socket = -1;  // the connection's, looked at only while it is suspended
    bool suspended = false;
    bool closedByClient = false;
    SiteServer* server = nullptr;
};

namespace {

// What a request has shown of itself between the handler's calls.
struct RequestState {
    bool body = false;
};

constexpr const char* NoSniff = "nosniff";

MHD_Result Queue(MHD_Connection* connection, unsigned status, MHD_Response* response) {
    const MHD_Result queued = MHD_queue_response(connection, status, response);
    MHD_destroy_response(response);
    return queued;
}

// A short plain answer to a request that names no file, or may not. `close`: the connection
// cannot be trusted to frame a next request (an unread body of unknown length).
MHD_Result Refuse(MHD_Connection* connection, unsigned status, const char* text,
                  bool close = false) {
    MHD_Response* response = MHD_create_response_from_buffer(
        std::strlen(text), const_cast<char*>(text), MHD_RESPMEM_PERSISTENT);
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "text/plain; charset=utf-8");
    MHD_add_response_header(response, MHD_HTTP_HEADER_X_CONTENT_TYPE_OPTIONS, NoSniff);
    if (status == MHD_HTTP_METHOD_NOT_ALLOWED) {
        MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, "GET, HEAD");
    }
    if (status == MHD_HTTP_SERVICE_UNAVAILABLE) {
        MHD_add_response_header(response, MHD_HTTP_HEADER_RETRY_AFTER, "2");
    }
    if (close) {
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    }
    return Queue(connection, status, response);
}

// The path is taken as it came: the site's rule decodes it, once.
std::size_t KeepEscapes(void*, MHD_Connection*, char* text) {
    return std::strlen(text);
}

struct HeaderCount {
    unsigned all = 0;
    unsigned hosts = 0;
};

MHD_Result CountHeader(void* count, MHD_ValueKind, const char* name, const char*) {
    auto* counted = static_cast<HeaderCount*>(count);
    ++counted->all;
    counted->hosts += strcasecmp(name, MHD_HTTP_HEADER_HOST) == 0 ? 1 : 0;
    return MHD_YES;
}

// What the request's line and headers show that no answer may be given to; null when none.
const char* HeaderProblem(MHD_Connection* connection, const char* version,
                          const HeaderCount& headers, unsigned headerLimit, unsigned& status) {
    if (headers.all > headerLimit) {
        status = MHD_HTTP_REQUEST_HEADER_FIELDS_TOO_LARGE;
        return "too many headers\n";
    }
    // RFC 9112, section 3.2: exactly one Host in HTTP/1.1, at most one before it.
    const bool http11 = std::strcmp(version, MHD_HTTP_VERSION_1_0) != 0;
    if (headers.hosts > 1 || (http11 && headers.hosts == 0)) {
        status = MHD_HTTP_BAD_REQUEST;
        return "one Host header is wanted\n";
    }
    // A body framed some other way than chunked cannot be told from the next request.
    const char* coding =
        MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_TRANSFER_ENCODING);
    if (coding != nullptr && strcasecmp(coding, "chunked") != 0) {
        status = MHD_HTTP_NOT_IMPLEMENTED;
        return "no transfer coding but chunked\n";
    }
    return nullptr;
}

// A data file named by its version never changes: cached for good. Anything else is asked
// again each time, and answered 304 when unchanged.
bool Versioned(const std::string& path) {
    if (!path.starts_with("data/") || !path.ends_with(".js")) {
        return false;
    }
    const std::size_t dot = path.rfind(".v", path.size() - 3);
    if (dot == std::string::npos || dot + 2 >= path.size() - 3) {
        return false;
    }
    for (std::size_t at = dot + 2; at < path.size() - 3; ++at) {
        if (path[at] < '0' || path[at] > '9') {
            return false;
        }
    }
    return true;
}

ssize_t ReadStream(void* cls, std::uint64_t, char* into, std::size_t room) {
    auto* stream = static_cast<SiteServer::Stream*>(cls);
    const std::lock_guard lock(stream->mutex);
    if (stream->closedByClient) {
        return MHD_CONTENT_READER_END_WITH_ERROR;
    }
    if (!stream->pending.empty()) {
        const std::size_t count = std::min(room, stream->pending.size());
        std::memcpy(into, stream->pending.data(), count);
        stream->pending.erase(0, count);
        return static_cast<ssize_t>(count);
    }
    if (stream->server == nullptr) {
        return MHD_CONTENT_READER_END_OF_STREAM;
    }
    // Nothing to say: the connection waits, holding no thread, until Announce resumes it.
    MHD_suspend_connection(stream->connection);
    stream->suspended = true;
    return 0;
}

// A 304 carries no content, and no Content-Length that is not the 200's (RFC 9110, 8.6): an
// empty stream of unknown length, which the daemon frames with nothing for this status.
ssize_t NoContent(void*, std::uint64_t, char*, std::size_t) {
    return MHD_CONTENT_READER_END_OF_STREAM;
}

MHD_Response* NotModifiedResponse() {
    return MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, 64, &NoContent, nullptr, nullptr);
}

}  // namespace

// The daemon's callbacks, which reach the server's private parts.
struct Callbacks {
    static MHD_Result Answer(void* self, MHD_Connection* connection, const char* url,
                             const char* method, const char* version, const char*,
                             std::size_t* uploadSize, void** state) {
        auto* server = static_cast<SiteServer*>(self);
        if (*state == nullptr) {
            *state = new RequestState;
            server->deadline_.Begun(connection);
            HeaderCount headers;
            MHD_get_connection_values(connection, MHD_HEADER_KIND, CountHeader, &headers);
            unsigned status = 0;
            if (const char* problem = HeaderProblem(connection, version, headers,
                                                    server->options_.headerLimit, status)) {
                return Refuse(connection, status, problem, true);
            }
            if (std::strcmp(method, MHD_HTTP_METHOD_GET) != 0 &&
                std::strcmp(method, MHD_HTTP_METHOD_HEAD) != 0) {
                return Refuse(connection, MHD_HTTP_METHOD_NOT_ALLOWED, "only GET and HEAD\n");
            }
            return MHD_YES;
        }
        auto* request = static_cast<RequestState*>(*state);
        if (*uploadSize > 0) {
            // A body is read and dropped: no request of this server carries one.
            request->body = true;
            *uploadSize = 0;
            return MHD_YES;
        }
        if (request->body) {
            return Refuse(connection, MHD_HTTP_CONTENT_TOO_LARGE, "no body is taken\n");
        }
        if (server->site_.load() < 0) {
            return Refuse(connection, MHD_HTTP_SERVICE_UNAVAILABLE, "the site is being written\n");
        }
        const std::string_view target = OriginFormOf(url);
        if (target == "/events") {
            return static_cast<MHD_Result>(server->AnswerEvents(connection));
        }
        const std::optional<std::string> path = SitePathOf(target);
        if (!path) {
            return Refuse(connection, MHD_HTTP_BAD_REQUEST, "no such path\n");
        }
        return static_cast<MHD_Result>(server->AnswerFile(connection, *path));
    }

    static void Completed(void* self, MHD_Connection* connection, void** state,
                          MHD_RequestTerminationCode) {
        delete static_cast<RequestState*>(*state);
        *state = nullptr;
        static_cast<SiteServer*>(self)->deadline_.Ended(connection, RequestDeadline::Clock::now());
    }

    static void Connection(void* self, MHD_Connection* connection, void**,
                           MHD_ConnectionNotificationCode code) {
        auto* server = static_cast<SiteServer*>(self);
        if (code == MHD_CONNECTION_NOTIFY_STARTED) {
            const MHD_ConnectionInfo* info =
                MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
            if (info != nullptr) {
                server->deadline_.Opened(connection, info->connect_fd,
                                         RequestDeadline::Clock::now());
            }
        } else {
            server->deadline_.Closed(connection);
        }
    }

    static void StreamGone(void* cls) {
        auto* stream = static_cast<SiteServer::Stream*>(cls);
        SiteServer* server = nullptr;
        {
            const std::lock_guard lock(stream->mutex);
            server = stream->server;
        }
        if (server == nullptr) {
            return;
        }
        const std::lock_guard lock(server->streamsMutex_);
        std::erase_if(server->streams_, [&](const auto& held) { return held.get() == stream; });
    }
};

SiteServer::SiteServer(const ServerOptions& options)
    : options_(options), deadline_(options.requestTime) {
    sockaddr_storage address{};
    unsigned flags = MHD_USE_EPOLL_INTERNAL_THREAD | MHD_ALLOW_SUSPEND_RESUME;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    if (inet_pton(AF_INET, options.address.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(options.port);
    } else if (inet_pton(AF_INET6, options.address.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(options.port);
        // "::" is every address, IPv4 ones too, as people mean it.
        flags |= IN6_IS_ADDR_UNSPECIFIED(&v6->sin6_addr) ? MHD_USE_DUAL_STACK : MHD_USE_IPv6;
    } else {
        throw ServerFailure("not an IP address: " + options.address +
                            " (give one such as 127.0.0.1, 0.0.0.0 or ::)");
    }
    daemon_ = MHD_start_daemon(
        flags, options.port, nullptr, nullptr, &Callbacks::Answer, this, MHD_OPTION_SOCK_ADDR,
        reinterpret_cast<sockaddr*>(&address), MHD_OPTION_CONNECTION_LIMIT, options.connectionLimit,
        MHD_OPTION_PER_IP_CONNECTION_LIMIT, options.clientLimit, MHD_OPTION_CONNECTION_TIMEOUT,
        options.idleSeconds, MHD_OPTION_CONNECTION_MEMORY_LIMIT, options.requestMemory,
        MHD_OPTION_UNESCAPE_CALLBACK, &KeepEscapes, nullptr, MHD_OPTION_NOTIFY_COMPLETED,
        &Callbacks::Completed, this, MHD_OPTION_NOTIFY_CONNECTION, &Callbacks::Connection, this,
        MHD_OPTION_END);
    if (daemon_ == nullptr) {
        throw ServerFailure("cannot listen on " + options.address + " port " +
                            std::to_string(options.port) + ": " + std::strerror(errno));
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
    port_ = info != nullptr ? info->port : options.port;
    keeper_ = std::jthread([this](std::stop_token stop) { Keep(stop); });
}

SiteServer::SiteServer(const std::filesystem::path& site, const ServerOptions& options)
    : SiteServer(options) {
    Open(site);
}

void SiteServer::Open(const std::filesystem::path& site) {
    world::FileDescriptor folder(open(site.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0) {
        throw ServerFailure("cannot open " + site.string() + ": " + std::strerror(errno));
    }
    if (site_.load() >= 0) {
        throw ServerFailure("a site is served already");
    }
    site_.store(folder.get());
    siteOwner_ = std::move(folder);
}

SiteServer::~SiteServer() {
    keeper_.request_stop();
    keeperWake_.notify_all();
    if (keeper_.joinable()) {
        keeper_.join();
    }
    // Every stream ends at its next read; suspended ones are woken for it. No stream is taken
    // once this is under way (AnswerEvents looks under the same lock).
    {
        const std::lock_guard lock(streamsMutex_);
        stopping_ = true;
        for (const auto& stream : streams_) {
            const std::lock_guard streamLock(stream->mutex);
            stream->server = nullptr;
            if (stream->suspended) {
                stream->suspended = false;
                MHD_resume_connection(stream->connection);
            }
        }
    }
    // The daemon destroys each stream's response as it stops, and that reads the stream: the
    // streams are let go only after it.
    MHD_stop_daemon(daemon_);
    const std::lock_guard lock(streamsMutex_);
    streams_.clear();
}

void SiteServer::Announce(const std::string& name, const std::string& data) {
    SendToAll("event: " + name + "\ndata: " + data + "\n\n");
}

void SiteServer::SendToAll(const std::string& text) {
    const std::lock_guard lock(streamsMutex_);
    for (const auto& stream : streams_) {
        const std::lock_guard streamLock(stream->mutex);
        stream->pending += text;
        if (stream->suspended) {
            stream->suspended = false;
            MHD_resume_connection(stream->connection);
        }
    }
}

std::size_t SiteServer::Streams() {
    const std::lock_guard lock(streamsMutex_);
    return streams_.size();
}

void SiteServer::ReleaseClosedStreams() {
    const std::lock_guard lock(streamsMutex_);
    for (const auto& stream : streams_) {
        const std::lock_guard streamLock(stream->mutex);
        if (!stream->suspended || stream->socket < 0) {
            continue;
        }
        // A suspended connection is not watched by the daemon: its socket is looked at here,
        // safely, since the daemon closes none while it is suspended. A client sends nothing on
        // a stream, so anything readable is its end: closed (0) or reset (an error).
        char byte = 0;
        const ssize_t got = recv(stream->socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            stream->closedByClient = true;
            stream->suspended = false;
            MHD_resume_connection(stream->connection);
        }
    }
}

void SiteServer::Keep(std::stop_token stop) {
    constexpr std::chrono::milliseconds Round{200};
    auto nextHeartbeat = RequestDeadline::Clock::now() + options_.heartbeat;
    std::unique_lock lock(keeperMutex_);
    while (!stop.stop_requested()) {
        keeperWake_.wait_for(lock, stop, Round, [] { return false; });
        const auto now = RequestDeadline::Clock::now();
        deadline_.Expire(now);
        ReleaseClosedStreams();
        if (now >= nextHeartbeat) {
            SendToAll(":\n\n");
            nextHeartbeat = now + options_.heartbeat;
        }
    }
}

int SiteServer::AnswerEvents(MHD_Connection* connection) {
    const std::lock_guard lock(streamsMutex_);
    if (stopping_) {
        return Refuse(connection, MHD_HTTP_SERVICE_UNAVAILABLE, "stopping\n");
    }
    auto stream = std::make_shared<Stream>();
    stream->connection = connection;
    stream->server = this;
    if (const MHD_ConnectionInfo* info =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD)) {
        stream->socket = info->connect_fd;
    }
    // A page that loses the server tries again after two seconds.
    stream->pending = "retry: 2000\n\n";
    MHD_Response* response = MHD_create_response_from_callback(
        MHD_SIZE_UNKNOWN, 4096, &ReadStream, stream.get(), &Callbacks::StreamGone);
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "text/event-stream");
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-cache");
    MHD_add_response_header(response, MHD_HTTP_HEADER_X_CONTENT_TYPE_OPTIONS, NoSniff);
    // nginx buffers a proxied response unless told not to, and a stream would never arrive.
    MHD_add_response_header(response, "X-Accel-Buffering", "no");
    streams_.insert(stream);
    return Queue(connection, MHD_HTTP_OK, response);
}

int SiteServer::AnswerFile(MHD_Connection* connection, const std::string& path) {
    const int fd = OpenInsideSite(site_.load(), path);
    if (fd < 0) {
        return Refuse(connection, MHD_HTTP_NOT_FOUND, "not found\n");
    }
    struct stat status {};
    fstat(fd, &status);
    // Renamed into place, a rewritten file is a new inode even when size and time agree.
    char tag[96];
    std::snprintf(tag, sizeof tag, "\"%llx-%llx-%llx\"",
                  static_cast<unsigned long long>(status.st_ino),
                  static_cast<unsigned long long>(status.st_size),
                  static_cast<unsigned long long>(status.st_mtim.tv_sec) * 1000000000ull +
                      static_cast<unsigned long long>(status.st_mtim.tv_nsec));
    const char* cache = Versioned(path) ? "public, max-age=31536000, immutable" : "no-cache";
    MHD_Response* response = nullptr;
    unsigned code = MHD_HTTP_OK;
    if (NotModified(
            MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_IF_NONE_MATCH),
            MHD_lookup_connection_value(connection, MHD_HEADER_KIND,
                                        MHD_HTTP_HEADER_IF_MODIFIED_SINCE),
            tag, status.st_mtim.tv_sec)) {
        close(fd);
        response = NotModifiedResponse();
        code = MHD_HTTP_NOT_MODIFIED;
    } else {
        response = MHD_create_response_from_fd64(static_cast<std::uint64_t>(status.st_size), fd);
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, ContentTypeOf(path));
    }
    MHD_add_response_header(response, MHD_HTTP_HEADER_LAST_MODIFIED,
                            HttpDate(status.st_mtim.tv_sec).c_str());
    MHD_add_response_header(response, MHD_HTTP_HEADER_ETAG, tag);
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, cache);
    MHD_add_response_header(response, MHD_HTTP_HEADER_X_CONTENT_TYPE_OPTIONS, NoSniff);
    return Queue(connection, code, response);
}

}  // namespace web::serve
