// The site's server as clients and attackers meet it, over real sockets on loopback: files with
// their types and validators, traversal in every spelling and a link out of the site refused,
// other methods, bodies and oversized requests refused, events streamed to listeners, and
// half-open connections that keep no real request waiting.

#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/temporary_prefix.h"
#include "support/wait_until.h"
#include "web/serve/site_server.h"
#include "web/site_path.h"
#include "world/file_descriptor.h"

namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;
using testing::Not;

constexpr const char* Secret = "the outside file";

// One connection to the server, from 127.0.0.1 or another loopback address; what it sends and
// reads.
class Client {
public:
    explicit Client(std::uint16_t port, const char* from = "127.0.0.1")
        : socket_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in source{};
        source.sin_family = AF_INET;
        inet_pton(AF_INET, from, &source.sin_addr);
        bind(socket_.get(), reinterpret_cast<sockaddr*>(&source), sizeof source);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        timeval wait{5, 0};
        setsockopt(socket_.get(), SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        connected_ =
            connect(socket_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }

    // Whether the server has closed the connection (reads to its end, within five seconds).
    bool ClosedByServer() {
        char buffer[4096];
        for (;;) {
            const ssize_t count = recv(socket_.get(), buffer, sizeof buffer, 0);
            if (count == 0) {
                return true;
            }
            if (count < 0) {
                return errno == ECONNRESET;
            }
        }
    }

    bool Send(const std::string& bytes) {
        return connected_ && send(socket_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
                                 static_cast<ssize_t>(bytes.size());
    }

    // Reads until the text holds `until`, the peer closes or five seconds pass.
    std::string ReadUntil(const std::string& until) {
        std::string text;
        char buffer[4096];
        while (text.find(until) == std::string::npos) {
            const ssize_t count = recv(socket_.get(), buffer, sizeof buffer, 0);
            if (count <= 0) {
                break;
            }
            text.append(buffer, static_cast<std::size_t>(count));
        }
        return text;
    }

    // A whole response to a request that closes the connection.
    std::string Ask(const std::string& request) {
        Send(request);
        return ReadUntil("\x01never");
    }

private:
    world::FileDescriptor socket_;
    bool connected_ = false;
};

std::string Get(const std::string& target, const std::string& headers = "") {
    return "GET " + target + " HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n" + headers +
           "\r\n";
}

int Status(const std::string& response) {
    return response.size() > 12 ? std::stoi(response.substr(9, 3)) : 0;
}

// The value of a response's header, empty when it has none.
std::string HeaderOf(const std::string& response, const std::string& name) {
    const std::size_t at = response.find("\r\n" + name + ": ");
    if (at == std::string::npos || at > response.find("\r\n\r\n")) {
        return {};
    }
    const std::size_t start = at + name.size() + 4;
    return response.substr(start, response.find("\r\n", start) - start);
}

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Room for a thousand connections and the server's side of them in one process.
void RaiseFileLimit() {
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
}

class SiteServerTest : public testing::Test {
protected:
    SiteServerTest() {
        WriteFile(site / "index.html", "<!DOCTYPE html><title>site</title>\n");
        WriteFile(site / "js" / "app.js", "\"use strict\";\n");
        WriteFile(site / "data" / "tiles" / "0" / "0_0.v3.js", "Velmora.receive();\n");
        WriteFile(site / ".velmora-site", "{}");
        // Named with an escape of its own: a second decoding would find the other.
        WriteFile(site / "a%41.js", "once\n");
        WriteFile(site / "aA.js", "twice\n");
        WriteFile(folder.path() / "outside", Secret);
        fs::create_symlink(folder.path() / "outside", site / "js" / "out.js");
        fs::create_symlink("../../outside", site / "js" / "up.js");
        server = std::make_unique<web::serve::SiteServer>(site, options());
    }

    static web::serve::ServerOptions options() {
        web::serve::ServerOptions chosen;
        chosen.port = 0;
        chosen.heartbeat = std::chrono::milliseconds(300);
        chosen.requestTime = std::chrono::milliseconds(1500);
        return chosen;
    }

    // The body of a whole response.
    static std::string Body(const std::string& response) {
        const std::size_t end = response.find("\r\n\r\n");
        return end == std::string::npos ? std::string() : response.substr(end + 4);
    }

    std::string Ask(const std::string& request) { return Client(server->Port()).Ask(request); }

    TemporaryDirectory folder;
    fs::path site = folder.path() / "site";
    std::unique_ptr<web::serve::SiteServer> server;
};

TEST_F(SiteServerTest, FilesComeWithTheirTypeNoSniffingAndValidators) {
    const std::string page = Ask(Get("/"));
    EXPECT_EQ(Status(page), 200) << page;
    EXPECT_THAT(page, HasSubstr("Content-Type: text/html; charset=utf-8"));
    EXPECT_THAT(page, HasSubstr("X-Content-Type-Options: nosniff"));
    EXPECT_THAT(page, HasSubstr("Cache-Control: no-cache"));
    EXPECT_THAT(page, HasSubstr("<title>site</title>"));
    const std::size_t tagAt = page.find("ETag: ");
    ASSERT_NE(tagAt, std::string::npos);
    const std::string tag = page.substr(tagAt + 6, page.find("\r\n", tagAt) - tagAt - 6);
    const std::string again = Ask(Get("/index.html", "If-None-Match: " + tag + "\r\n"));
    EXPECT_EQ(Status(again), 304) << again;
    EXPECT_THAT(again, Not(HasSubstr("<title>")));

    const std::string tile = Ask(Get("/data/tiles/0/0_0.v3.js?v=3"));
    EXPECT_EQ(Status(tile), 200);
    EXPECT_THAT(tile, HasSubstr("Content-Type: text/javascript; charset=utf-8"));
    EXPECT_THAT(tile, HasSubstr("immutable"));
    EXPECT_THAT(Ask(Get("/js/app.js")), HasSubstr("Cache-Control: no-cache"));
    const std::string head =
        Ask("HEAD /js/app.js HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(Status(head), 200);
    EXPECT_THAT(head, Not(HasSubstr("use strict")));
}

TEST_F(SiteServerTest, NothingOutsideTheSiteIsReachedInAnySpelling) {
    for (const std::string& target : std::vector<std::string>{"/../outside",
                                                              "/%2e%2e/outside",
                                                              "/%2E%2E/outside",
                                                              "/js/..%2f..%2foutside",
                                                              "/js/%2e%2e/%2e%2e/outside",
                                                              "/%252e%252e/outside",
                                                              "/js/out.js",
                                                              "/js/up.js",
                                                              "/..\\outside",
                                                              "/js%5c..%5c..%5coutside",
                                                              "//etc/passwd",
                                                              "/%2fetc/passwd",
                                                              "/etc/passwd%00.js",
                                                              "/.velmora-site",
                                                              "/data/",
                                                              "/data",
                                                              "/./index.html",
                                                              "/" + std::string(2000, 'a'),
                                                              "http://localhost/../outside",
                                                              "*"}) {
        const std::string answer = Ask(Get(target));
        const int status = Status(answer);
        EXPECT_TRUE(status == 400 || status == 404 || status == 414) << target << ": " << answer;
        EXPECT_THAT(answer, Not(HasSubstr(Secret))) << target;
    }
    // The rule itself, on what a client cannot send through a socket as it is.
    EXPECT_FALSE(web::SitePathOf(std::string("/a\0b", 4)));
    EXPECT_EQ(web::SitePathOf("/data/tiles/0/1_2.v3.js?v=3"), "data/tiles/0/1_2.v3.js");
    EXPECT_EQ(web::SitePathOf("/lib/"), "lib/index.html");
    EXPECT_EQ(web::SitePathOf("/%61pp.js"), "app.js");
    // And the server is alive after all of it.
    EXPECT_EQ(Status(Ask(Get("/"))), 200);
}

TEST_F(SiteServerTest, OtherMethodsBodiesAndOversizedRequestsAreRefused) {
    for (const std::string method : {"POST", "PUT", "DELETE", "PATCH", "OPTIONS", "TRACE"}) {
        const std::string answer = Ask(method +
                                       " /index.html HTTP/1.1\r\nHost: x\r\n"
                                       "Content-Length: 4\r\nConnection: close\r\n\r\nabcd");
        EXPECT_EQ(Status(answer), 405) << method;
        EXPECT_THAT(answer, HasSubstr("Allow: GET, HEAD")) << method;
    }
    EXPECT_EQ(Status(Ask("GET / HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\nConnection: close\r\n"
                         "\r\nhello")),
              413);
    std::string headers;
    for (int k = 0; k < 100; ++k) {
        headers += "X-" + std::to_string(k) + ": y\r\n";
    }
    EXPECT_EQ(Status(Ask(Get("/", headers))), 431);
    const int huge = Status(Ask(Get("/", "X-Big: " + std::string(40000, 'b') + "\r\n")));
    EXPECT_TRUE(huge == 431 || huge == 0) << huge;  // refused, or the connection closed
    const int garbage = Status(Ask("GARBAGE\r\n\r\n"));
    EXPECT_TRUE(garbage == 400 || garbage == 0) << garbage;  // refused, or closed
    EXPECT_TRUE(fs::exists(site / "index.html"));
    EXPECT_EQ(Status(Ask(Get("/"))), 200);
}

TEST_F(SiteServerTest, EventsReachEveryListenerAndHalfOpenConnectionsKeepNobodyWaiting) {
    Client listener(server->Port());
    listener.Send("GET /events HTTP/1.1\r\nHost: x\r\n\r\n");
    const std::string opened = listener.ReadUntil("retry: 2000");
    EXPECT_THAT(opened, HasSubstr("Content-Type: text/event-stream"));
    // The stream is registered when its first bytes went out; tell it something.
    server->Announce("update", "{\"version\":4,\"sectors\":[\"1_2\"]}");
    EXPECT_THAT(listener.ReadUntil("sectors"), HasSubstr("event: update"));

    // Clients that open a request and never finish it hold no thread: a real one is answered.
    std::vector<std::unique_ptr<Client>> slow;
    for (int k = 0; k < 256; ++k) {
        slow.push_back(std::make_unique<Client>(server->Port(), k % 2 ? "127.0.0.2" : "127.0.0.3"));
        slow.back()->Send("GET /index.html HTTP/1.1\r\nHost: x\r\nX-Slow: ");
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Status(Ask(Get("/js/app.js"))), 200);
    RecordProperty("real request behind 256 half-open ones, ms",
                   static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - start)
                                        .count()));
    // Stopped with all of them open: it ends.
    server.reset();
}

TEST_F(SiteServerTest, ConditionalRequestsAnswerAsTheValidatorsSay) {
    const std::string first = Ask(Get("/js/app.js"));
    const std::string tag = HeaderOf(first, "ETag");
    const std::string modified = HeaderOf(first, "Last-Modified");
    ASSERT_FALSE(tag.empty());
    ASSERT_FALSE(modified.empty());
    struct Case {
        std::string headers;
        int status;
    };
    for (const Case& row : std::vector<Case>{
             {"If-None-Match: " + tag + "\r\n", 304},
             {"If-None-Match: *\r\n", 304},
             {"If-None-Match: W/" + tag + "\r\n", 304},
             {"If-None-Match: \"x\", " + tag + "\r\n", 304},
             {"If-None-Match: \"x\"\r\n", 200},
             {"If-None-Match: garbage\r\n", 200},
             {"If-Modified-Since: " + modified + "\r\n", 304},
             {"If-Modified-Since: Thu, 01 Jan 1970 00:00:00 GMT\r\n", 200},
             {"If-Modified-Since: not a date\r\n", 200},
             {"If-None-Match: \"x\"\r\nIf-Modified-Since: " + modified + "\r\n", 200},
         }) {
        const std::string answer = Ask(Get("/js/app.js", row.headers));
        EXPECT_EQ(Status(answer), row.status) << row.headers << answer;
        if (row.status == 304) {
            // No content, and no length that is not the file's.
            EXPECT_THAT(answer, Not(HasSubstr("use strict"))) << row.headers;
            EXPECT_THAT(HeaderOf(answer, "Content-Length"), testing::AnyOf("", "14"))
                << row.headers;
            EXPECT_EQ(HeaderOf(answer, "ETag"), tag);
        }
    }
    // A file rewritten to the same size in the same second is another file to its tag.
    WriteFile(site / "js" / "app.js.new", "\"use strict\"!\n");
    fs::rename(site / "js" / "app.js.new", site / "js" / "app.js");
    const std::string rewritten = Ask(Get("/js/app.js", "If-None-Match: " + tag + "\r\n"));
    EXPECT_EQ(Status(rewritten), 200) << rewritten;
    EXPECT_THAT(rewritten, HasSubstr("\"use strict\"!"));
    EXPECT_NE(HeaderOf(rewritten, "ETag"), tag);
}

TEST_F(SiteServerTest, RequestsAreTakenAsTheProtocolSays) {
    // The path is decoded once: the file named with an escape is the one meant.
    EXPECT_EQ(Body(Ask(Get("/a%2541.js"))), "once\n");
    EXPECT_EQ(Body(Ask(Get("/a%41.js"))), "twice\n");
    struct Case {
        std::string request;
        int status;
        // libmicrohttpd 0.9.75 refuses a malformed Content-Length itself, before any handler,
        // and writes its refusal twice; the client reads the first and the connection closes.
        bool answeredTwice = false;
    };
    for (const Case& row : std::vector<Case>{
             {"GET http://localhost/js/app.js HTTP/1.1\r\nHost: localhost\r\n"
              "Connection: close\r\n\r\n",
              200},
             {"GET /js/app.js HTTP/1.1\r\nConnection: close\r\n\r\n", 400},
             {"GET /js/app.js HTTP/1.1\r\nHost: a\r\nHost: b\r\nConnection: close\r\n\r\n", 400},
             {"GET /js/app.js HTTP/1.0\r\n\r\n", 200},
             {"GET /js/app.js HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: gzip\r\n\r\n", 501},
             {"GET /js/app.js HTTP/1.1\r\nHost: a\r\nContent-Length: abc\r\n\r\n", 400, true},
         }) {
        const auto start = Clock::now();
        const std::string answer = Ask(row.request);
        EXPECT_EQ(Status(answer), row.status) << row.request << answer;
        // Answered at once and closed where the connection cannot go on, not at the timeout.
        EXPECT_LT(MillisecondsSince(start), 1000) << row.request;
        if (!row.answeredTwice) {
            EXPECT_EQ(answer.find("HTTP/1.", 1), std::string::npos) << row.request << answer;
        }
    }
}

TEST_F(SiteServerTest, ClosedStreamsAreLetGoAndStreamsHearAHeartbeat) {
    Client listener(server->Port());
    listener.Send("GET /events HTTP/1.1\r\nHost: x\r\n\r\n");
    const std::string opened = listener.ReadUntil("retry: 2000");
    EXPECT_EQ(HeaderOf(opened, "X-Accel-Buffering"), "no");
    // Quiet for longer than the heartbeat: a comment line comes.
    EXPECT_THAT(listener.ReadUntil("\n:\n"), HasSubstr("\n:\n"));

    RaiseFileLimit();
    // A thousand pages loaded and left, from several addresses: every stream goes.
    for (int round = 0; round < 10; ++round) {
        std::vector<std::unique_ptr<Client>> pages;
        for (int k = 0; k < 100; ++k) {
            const std::string from = "127.0.1." + std::to_string(2 + k % 25);
            pages.push_back(std::make_unique<Client>(server->Port(), from.c_str()));
            pages.back()->Send("GET /events HTTP/1.1\r\nHost: x\r\n\r\n");
        }
        for (auto& page : pages) {
            page->ReadUntil("retry: 2000");
        }
    }
    EXPECT_TRUE(WaitUntil([&] { return server->Streams() == 1; }, 3.0)) << server->Streams();
    EXPECT_EQ(Status(Ask(Get("/js/app.js"))), 200);
    server->Announce("update", "{}");
    EXPECT_THAT(listener.ReadUntil("event: update"), HasSubstr("event: update"));
}

TEST_F(SiteServerTest, OneAddressCannotKeepAnotherWaiting) {
    RaiseFileLimit();
    // A thousand connections from one address, idle, trickling headers or listening.
    std::vector<std::unique_ptr<Client>> crowd;
    for (int k = 0; k < 1000; ++k) {
        crowd.push_back(std::make_unique<Client>(server->Port(), "127.0.0.2"));
        crowd.back()->Send(k % 3 == 0   ? std::string("GET /events HTTP/1.1\r\nHost: x\r\n\r\n")
                           : k % 3 == 1 ? std::string("GET / HTTP/1.1\r\nX-Slow: ")
                                        : std::string());
    }
    const auto start = Clock::now();
    EXPECT_EQ(Status(Client(server->Port(), "127.0.0.3").Ask(Get("/js/app.js"))), 200);
    EXPECT_LT(MillisecondsSince(start), 2000);
    RecordProperty("a request beside 1000 connections of another address, ms",
                   static_cast<int>(MillisecondsSince(start)));
}

TEST_F(SiteServerTest, ARequestTricklingInIsCutOffAtItsDeadline) {
    Client slow(server->Port(), "127.0.0.2");
    slow.Send("GET / HTTP/1.1\r\nHost: x\r\n");
    const auto start = Clock::now();
    // A header line every 200 ms keeps an idle timeout at bay, not the deadline.
    bool open = true;
    while (open && MillisecondsSince(start) < 4000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        open = slow.Send("X-Slow: y\r\n");
    }
    EXPECT_TRUE(!open || slow.ClosedByServer());
    EXPECT_LT(MillisecondsSince(start), 3500);
    // A client that asks in time is answered, again and again on one connection.
    Client prompt(server->Port());
    for (int k = 0; k < 3; ++k) {
        prompt.Send("GET /js/app.js HTTP/1.1\r\nHost: x\r\n\r\n");
        EXPECT_THAT(prompt.ReadUntil("use strict"), HasSubstr("200 OK"));
    }
}

TEST(SiteServerListenTest, AServerListensBeforeItsSiteAndOnBothFamiliesForTheUnspecified) {
    TemporaryDirectory folder;
    WriteFile(folder.path() / "index.html", "hello\n");
    web::serve::ServerOptions options;
    options.port = 0;
    options.address = "::";
    web::serve::SiteServer server(options);
    EXPECT_EQ(Status(Client(server.Port()).Ask(Get("/"))), 503);
    server.Open(folder.path());
    EXPECT_EQ(Status(Client(server.Port()).Ask(Get("/"))), 200);

    world::FileDescriptor six(socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_port = htons(server.Port());
    address.sin6_addr = in6addr_loopback;
    ASSERT_EQ(connect(six.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string request = Get("/");
    send(six.get(), request.data(), request.size(), MSG_NOSIGNAL);
    char answer[16] = {};
    EXPECT_GT(recv(six.get(), answer, sizeof answer - 1, MSG_WAITALL), 12);
    EXPECT_EQ(std::string(answer).substr(0, 12), "HTTP/1.1 200");

    options.address = "localhost";
    EXPECT_THROW(web::serve::SiteServer{options}, web::serve::ServerFailure);
}

}  // namespace
