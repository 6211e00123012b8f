// The served site's update event: one line of JSON with the site's version and the sectors that
// changed, which pages parse; sent to listeners after each batch of the game's writes that
// changed sectors, and not for a batch that changed none or whose update failed.

#include "web/serve/live_site.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/temporary_prefix.h"
#include "web/serve/site_server.h"
#include "world/file_descriptor.h"
#include "world/world_files.h"

namespace {

namespace fs = std::filesystem;
using web::serve::SiteUpdate;
using web::serve::UpdateEventData;

TEST(LiveSiteTest, AnUpdateEventIsOneLineOfJsonWithTheVersionAndTheSectors) {
    struct Case {
        SiteUpdate update;
        bool namesKept;  // false: bytes that are no UTF-8 are replaced
    };
    const Case cases[] = {
        {{1, {"0_0"}, {}}, true},
        {{42, {"1_2", "-3_40", "10_-1"}, {"data/tiles/0/0_0.v3.js"}}, true},
        {{std::uint64_t{1} << 40, {"2_2"}, {}}, true},
        // Names from the disk are not ours to trust: quoted, and bytes that are no UTF-8.
        {{7, {"a\"b\nc"}, {}}, true},
        {{8, {std::string("\xff\xfe_1", 4)}, {}}, false},
    };
    for (const auto& [update, namesKept] : cases) {
        const std::string data = UpdateEventData(update);
        EXPECT_EQ(data.find_first_of("\r\n"), std::string::npos) << data;
        const nlohmann::json parsed = nlohmann::json::parse(data, nullptr, false);
        ASSERT_TRUE(parsed.is_object()) << data;
        EXPECT_EQ(parsed.size(), 2u) << data << ": the files to remove are the server's own";
        ASSERT_TRUE(parsed.contains("version") && parsed["version"].is_number_unsigned()) << data;
        EXPECT_EQ(parsed["version"].get<std::uint64_t>(), update.version);
        ASSERT_TRUE(parsed.contains("sectors") && parsed["sectors"].is_array()) << data;
        ASSERT_EQ(parsed["sectors"].size(), update.sectors.size()) << data;
        if (namesKept) {
            EXPECT_EQ(parsed["sectors"].get<std::vector<std::string>>(), update.sectors);
        }
    }
}

// A listener on /events: what it has read so far.
class Listener {
public:
    explicit Listener(std::uint16_t port)
        : socket_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        timeval wait{1, 0};
        setsockopt(socket_.get(), SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        const std::string request = "GET /events HTTP/1.1\r\nHost: x\r\n\r\n";
        if (connect(socket_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            send(socket_.get(), request.data(), request.size(), MSG_NOSIGNAL);
        }
    }

    // Reads until the text holds `until`, the server closes or ten seconds pass.
    const std::string& ReadUntil(const std::string& until) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        char buffer[4096];
        while (text_.find(until) == std::string::npos && std::chrono::steady_clock::now() < end) {
            const ssize_t count = recv(socket_.get(), buffer, sizeof buffer, 0);
            if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR)) {
                break;
            }
            text_.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
        }
        return text_;
    }

private:
    world::FileDescriptor socket_;
    std::string text_;
};

TEST(LiveSiteTest, ListenersHearOfEachBatchThatChangedSectorsAndOfNoOther) {
    TemporaryDirectory folder;
    const fs::path terrain = folder.path() / "world" / "terrain";
    const fs::path site = folder.path() / "site";
    fs::create_directories(terrain);
    WriteFile(site / "index.html", "<!DOCTYPE html>\n");
    web::serve::ServerOptions options;
    options.port = 0;
    web::serve::SiteServer server(site, options);
    Listener listener(server.Port());
    ASSERT_NE(listener.ReadUntil("retry:").find("retry:"), std::string::npos);

    // The first update fails, the second changes no sector, the third changes two.
    std::atomic<int> updates{0};
    const SiteUpdate changed{3, {"0_0", "1_0"}, {}};
    web::serve::LiveSite live(
        terrain, site,
        [&updates, &changed] {
            const int call = ++updates;
            if (call == 1) {
                throw std::runtime_error("the disk is full");
            }
            return call == 2 ? SiteUpdate{2, {}, {}} : changed;
        },
        server);
    // The game writes a sector until the site has been updated once more (the watch starts on
    // the site's own thread, perhaps after the first write).
    const auto updateOnce = [&] {
        const int before = updates;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (updates == before && std::chrono::steady_clock::now() < end) {
            world_test::WriteSector(terrain, "0_0", world_test::Rolling(0, 0));
            for (int k = 0; k < 100 && updates == before; ++k) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        return updates > before;
    };
    testing::internal::CaptureStderr();
    const bool failed = updateOnce();
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(failed) << "no update after the game's writes";
    EXPECT_NE(said.find("the disk is full"), std::string::npos) << said;
    ASSERT_TRUE(updateOnce());
    ASSERT_TRUE(updateOnce());

    const std::string event = "event: update\ndata: " + UpdateEventData(changed) + "\n\n";
    const std::string& heard = listener.ReadUntil(event);
    EXPECT_NE(heard.find(event), std::string::npos) << heard;
    std::size_t told = 0;
    for (std::size_t at = heard.find("event: "); at != std::string::npos;
         at = heard.find("event: ", at + 1)) {
        told += heard.compare(at, 13, "event: update") == 0;
    }
    EXPECT_EQ(told, 1u) << heard;
}

}  // namespace
