#include "web/serve/site_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "web/serve/content_type.h"
#include "web/site_path.h"

namespace web::serve {

struct SiteServer::Stream {
    std::mutex mutex;
    std::string pending;
    MHD_Connection* connection = nullptr;
    bool suspended = false;
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

// A short plain answer to a request that names no file, or may not.
MHD_Result Refuse(MHD_Connection* connection, unsigned status, const char* text) {
    MHD_Response* response = MHD_create_response_from_buffer(
        std::strlen(text), const_cast<char*>(text), MHD_RESPMEM_PERSISTENT);
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "text/plain; charset=utf-8");
    MHD_add_response_header(response, MHD_HTTP_HEADER_X_CONTENT_TYPE_OPTIONS, NoSniff);
    if (status == MHD_HTTP_METHOD_NOT_ALLOWED) {
        MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, "GET, HEAD");
    }
    return Queue(connection, status, response);
}

// The path is taken as it came: the site's rule decodes it, once.
std::size_t KeepEscapes(void*, MHD_Connection*, char* text) {
    return std::strlen(text);
}

MHD_Result CountHeader(void* count, MHD_ValueKind, const char*, const char*) {
    ++*static_cast<unsigned*>(count);
    return MHD_YES;
}

std::string HttpDate(std::time_t when) {
    std::tm parts{};
    gmtime_r(&when, &parts);
    char text[64];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &parts);
    return text;
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

}  // namespace

// The daemon's callbacks, which reach the server's private parts.
struct Callbacks {
    static MHD_Result Answer(void* self, MHD_Connection* connection, const char* url,
                             const char* method, const char*, const char*, std::size_t* uploadSize,
                             void** state) {
        auto* server = static_cast<SiteServer*>(self);
        if (*state == nullptr) {
            *state = new RequestState;
            if (std::strcmp(method, MHD_HTTP_METHOD_GET) != 0 &&
                std::strcmp(method, MHD_HTTP_METHOD_HEAD) != 0) {
                return Refuse(connection, MHD_HTTP_METHOD_NOT_ALLOWED, "only GET and HEAD\n");
            }
            unsigned headers = 0;
            MHD_get_connection_values(connection, MHD_HEADER_KIND, CountHeader, &headers);
            if (headers > server->options_.headerLimit) {
                return Refuse(connection, MHD_HTTP_REQUEST_HEADER_FIELDS_TOO_LARGE,
                              "too many headers\n");
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
        if (std::strcmp(url, "/events") == 0) {
            return static_cast<MHD_Result>(server->AnswerEvents(connection));
        }
        const std::optional<std::string> path = SitePathOf(url);
        if (!path) {
            return Refuse(connection, MHD_HTTP_BAD_REQUEST, "no such path\n");
        }
        return static_cast<MHD_Result>(server->AnswerFile(connection, *path));
    }

    static void Completed(void*, MHD_Connection*, void** state, MHD_RequestTerminationCode) {
        delete static_cast<RequestState*>(*state);
        *state = nullptr;
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

SiteServer::SiteServer(std::filesystem::path site, const ServerOptions& options)
    : site_(open(site.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)), options_(options) {
    if (site_.get() < 0) {
        throw ServerFailure("cannot open " + site.string() + ": " + std::strerror(errno));
    }
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
        flags |= MHD_USE_IPv6;
    } else {
        throw ServerFailure("not an IP address: " + options.address);
    }
    daemon_ = MHD_start_daemon(
        flags, options.port, nullptr, nullptr, &Callbacks::Answer, this, MHD_OPTION_SOCK_ADDR,
        reinterpret_cast<sockaddr*>(&address), MHD_OPTION_CONNECTION_LIMIT, options.connectionLimit,
        MHD_OPTION_CONNECTION_TIMEOUT, options.idleSeconds, MHD_OPTION_CONNECTION_MEMORY_LIMIT,
        options.requestMemory, MHD_OPTION_UNESCAPE_CALLBACK, &KeepEscapes, nullptr,
        MHD_OPTION_NOTIFY_COMPLETED, &Callbacks::Completed, nullptr, MHD_OPTION_END);
    if (daemon_ == nullptr) {
        throw ServerFailure("cannot listen on " + options.address + " port " +
                            std::to_string(options.port) + ": " + std::strerror(errno));
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
    port_ = info != nullptr ? info->port : options.port;
}

SiteServer::~SiteServer() {
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
    const std::string event = "event: " + name + "\ndata: " + data + "\n\n";
    const std::lock_guard lock(streamsMutex_);
    for (const auto& stream : streams_) {
        const std::lock_guard streamLock(stream->mutex);
        stream->pending += event;
        if (stream->suspended) {
            stream->suspended = false;
            MHD_resume_connection(stream->connection);
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
    // A page that loses the server tries again after two seconds.
    stream->pending = "retry: 2000\n\n";
    MHD_Response* response = MHD_create_response_from_callback(
        MHD_SIZE_UNKNOWN, 4096, &ReadStream, stream.get(), &Callbacks::StreamGone);
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "text/event-stream");
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-cache");
    MHD_add_response_header(response, MHD_HTTP_HEADER_X_CONTENT_TYPE_OPTIONS, NoSniff);
    streams_.insert(stream);
    return Queue(connection, MHD_HTTP_OK, response);
}

int SiteServer::AnswerFile(MHD_Connection* connection, const std::string& path) {
    const int fd = OpenInsideSite(site_.get(), path);
    if (fd < 0) {
        return Refuse(connection, MHD_HTTP_NOT_FOUND, "not found\n");
    }
    struct stat status {};
    fstat(fd, &status);
    char tag[64];
    std::snprintf(tag, sizeof tag, "\"%llx-%llx\"", static_cast<unsigned long long>(status.st_size),
                  static_cast<unsigned long long>(status.st_mtim.tv_sec) * 1000000000ull +
                      static_cast<unsigned long long>(status.st_mtim.tv_nsec));
    const char* cache = Versioned(path) ? "public, max-age=31536000, immutable" : "no-cache";
    const char* known =
        MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_IF_NONE_MATCH);
    MHD_Response* response = nullptr;
    unsigned code = MHD_HTTP_OK;
    if (known != nullptr && std::strcmp(known, tag) == 0) {
        close(fd);
        response = MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT);
        code = MHD_HTTP_NOT_MODIFIED;
    } else {
        response = MHD_create_response_from_fd64(static_cast<std::uint64_t>(status.st_size), fd);
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, ContentTypeOf(path));
        MHD_add_response_header(response, MHD_HTTP_HEADER_LAST_MODIFIED,
                                HttpDate(status.st_mtim.tv_sec).c_str());
    }
    MHD_add_response_header(response, MHD_HTTP_HEADER_ETAG, tag);
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, cache);
    MHD_add_response_header(response, MHD_HTTP_HEADER_X_CONTENT_TYPE_OPTIONS, NoSniff);
    return Queue(connection, code, response);
}

}  // namespace web::serve
