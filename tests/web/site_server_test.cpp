// The site's server as clients and attackers meet it, over real sockets on loopback: files with
// their types and validators, traversal in every spelling and a link out of the site refused,
// other methods, bodies and oversized requests refused, events streamed to listeners, and
// half-open connections that keep no real request waiting.

#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/temporary_prefix.h"
#include "web/serve/site_server.h"
#include "web/site_path.h"
#include "world/file_descriptor.h"

namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;
using testing::Not;

constexpr const char* Secret = "the outside file";

// One connection to the server; what it sends and reads.
class Client {
public:
    explicit Client(std::uint16_t port) : socket_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        timeval wait{5, 0};
        setsockopt(socket_.get(), SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        connected_ =
            connect(socket_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
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

class SiteServerTest : public testing::Test {
protected:
    SiteServerTest() {
        WriteFile(site / "index.html", "<!DOCTYPE html><title>site</title>\n");
        WriteFile(site / "js" / "app.js", "\"use strict\";\n");
        WriteFile(site / "data" / "tiles" / "0" / "0_0.v3.js", "Velmora.receive();\n");
        WriteFile(site / ".velmora-site", "{}");
        WriteFile(folder.path() / "outside", Secret);
        fs::create_symlink(folder.path() / "outside", site / "js" / "out.js");
        fs::create_symlink("../../outside", site / "js" / "up.js");
        server = std::make_unique<web::serve::SiteServer>(site, options());
    }

    static web::serve::ServerOptions options() {
        web::serve::ServerOptions chosen;
        chosen.port = 0;
        return chosen;
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
        slow.push_back(std::make_unique<Client>(server->Port()));
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

}  // namespace
