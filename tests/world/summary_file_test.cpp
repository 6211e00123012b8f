// The summary cache file: what is written reads back, and any damage makes it ignored.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>

#include "support/deadline.h"
#include "support/temporary_prefix.h"
#include "world/summary_file.h"
#include "world/world_files.h"
#include "world/world_model.h"

namespace {

namespace fs = std::filesystem;
using world::LoadSummaryFile;
using world::ParseSummaryFile;
using world::SerialiseSummaryFile;
using world::SummaryEntry;

std::vector<SummaryEntry> Entries() {
    std::vector<SummaryEntry> entries(3);
    for (std::size_t e = 0; e < entries.size(); ++e) {
        entries[e].key = {"/w/terrain/" + std::to_string(e) + "_0/h.zdt", 32282 + e,
                          1700000000123456789 + static_cast<std::int64_t>(e)};
        for (std::size_t i = 0; i < entries[e].summary.coarse.size(); ++i) {
            entries[e].summary.coarse[i] = static_cast<std::uint16_t>(i * 31 + e);
        }
        entries[e].summary.levelErrors = {40.5f, 20.0f, 9.0f, 3.0f, 1.5f, 0.0f};
        entries[e].summary.rangeLow = 101;
        entries[e].summary.greatest = 9000;
        entries[e].summary.least = static_cast<std::uint16_t>(e);
    }
    return entries;
}

TEST(SummaryFileTest, ReadsBackWhatWasWrittenAndIgnoresAnyDamage) {
    const std::vector<SummaryEntry> entries = Entries();
    const std::vector<std::uint8_t> bytes = SerialiseSummaryFile(entries);
    const auto parsed = ParseSummaryFile(bytes);
    ASSERT_TRUE(parsed.has_value());
    ASSERT_EQ(parsed->size(), entries.size());
    for (std::size_t e = 0; e < entries.size(); ++e) {
        EXPECT_EQ((*parsed)[e].key, entries[e].key);
        EXPECT_EQ((*parsed)[e].summary, entries[e].summary);
    }
    // Any one byte changed, or the file cut short or run on, and nothing of it is trusted.
    std::size_t trusted = 0;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        std::vector<std::uint8_t> damaged = bytes;
        damaged[at] ^= 0x20;
        trusted += ParseSummaryFile(damaged) ? 1 : 0;
    }
    EXPECT_EQ(trusted, 0u);
    for (const std::size_t length : {std::size_t{0}, std::size_t{8}, bytes.size() - 1}) {
        EXPECT_FALSE(ParseSummaryFile({bytes.data(), length})) << length;
    }
    std::vector<std::uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(ParseSummaryFile(longer));
}

// A count that disagrees with the entries is refused even under a checksum made to match it.
TEST(SummaryFileTest, ACountOtherThanTheEntriesIsRefusedUnderAMatchingChecksum) {
    const std::vector<std::uint8_t> bytes = SerialiseSummaryFile(Entries());
    for (const std::uint32_t count : {2u, 4u}) {
        std::vector<std::uint8_t> recounted = bytes;
        std::memcpy(recounted.data() + 8, &count, sizeof count);
        std::uint64_t hash = 0xcbf29ce484222325u;
        for (std::size_t at = 0; at + 8 < recounted.size(); ++at) {
            hash = (hash ^ recounted[at]) * 0x100000001b3u;
        }
        std::memcpy(recounted.data() + recounted.size() - 8, &hash, sizeof hash);
        EXPECT_FALSE(ParseSummaryFile(recounted)) << count;
    }
}

// What other programs leave at the cache's path: a FIFO is neither waited on nor read, a file
// larger than the world's sectors can fill is refused before it is read, and the world opens
// and puts a summary file of its own in their place.
TEST(SummaryFileTest, NothingAtThePathHangsTheOpenOrFillsMemory) {
    TemporaryDirectory folder;
    const std::vector<world::SectorSource> sources = {
        world_test::WriteSector(folder.path() / "terrain", "0_0", world_test::Rolling(0, 0))};
    const fs::path cacheFolder = folder.path() / "cache";
    fs::create_directories(cacheFolder);
    const fs::path cache = world::SummaryFileFor(cacheFolder, folder.path() / "terrain");
    world::ModelOptions options;
    options.summaryFolder = cacheFolder;

    ASSERT_EQ(mkfifo(cache.c_str(), 0600), 0);
    // An open that waits for a writer would wait for good: tried first where it can be killed.
    ASSERT_TRUE(FinishesWithin(std::chrono::seconds(10), [&] {
        LoadSummaryFile(cache, SIZE_MAX);
        world::WorldModel(sources, options);
    })) << "the summary cache's open waits on a FIFO";
    fs::remove(cache);
    ASSERT_EQ(mkfifo(cache.c_str(), 0600), 0);
    EXPECT_FALSE(LoadSummaryFile(cache, SIZE_MAX));
    EXPECT_GT(world::WorldModel(sources, options).Range().Range(), 0u);
    EXPECT_TRUE(fs::is_regular_file(cache));
    const std::vector<std::uint8_t> kept = SerialiseSummaryFile(*LoadSummaryFile(cache, SIZE_MAX));
    const std::size_t allowed = world::SummaryFileBytesFor({sources[0].hostPath.size()});
    EXPECT_EQ(kept.size(), allowed);

    // Two gigabytes that begin as a summary file: sparse, so only reading it would fill memory.
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    fs::remove(cache);
    WriteFile(cache, std::string(reinterpret_cast<const char*>(kept.data()), 12));
    fs::resize_file(cache, std::uintmax_t{2} << 30);
    EXPECT_FALSE(LoadSummaryFile(cache, allowed));
    EXPECT_GT(world::WorldModel(sources, options).Range().Range(), 0u);
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "kilobytes";
    EXPECT_EQ(fs::file_size(cache), allowed);
}

// Another program cutting the file short and writing it again in place while it is read: each
// read is the whole file or nothing, and never a signal.
TEST(SummaryFileTest, AFileRewrittenInPlaceWhileReadIsWholeOrRefused) {
    std::vector<SummaryEntry> entries;
    for (int copy = 0; copy < 2000; ++copy) {
        for (SummaryEntry entry : Entries()) {
            entry.key.path += std::to_string(copy);
            entries.push_back(std::move(entry));
        }
    }
    const std::vector<std::uint8_t> bytes = SerialiseSummaryFile(entries);
    TemporaryDirectory folder;
    const fs::path path = folder.path() / "world.summary";
    WriteFile(path, std::string(bytes.begin(), bytes.end()));

    std::atomic<bool> done{false};
    std::thread rewriter([&] {
        const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
        while (!done) {
            // Whole for a moment, so that readers start on the whole file, then cut short.
            std::this_thread::sleep_for(std::chrono::microseconds(300));
            EXPECT_EQ(ftruncate(fd, 0), 0);
            for (std::size_t at = 0; at < bytes.size();) {
                const ssize_t count =
                    pwrite(fd, bytes.data() + at, std::min<std::size_t>(bytes.size() - at, 65536),
                           static_cast<off_t>(at));
                ASSERT_GT(count, 0);
                at += static_cast<std::size_t>(count);
            }
        }
        close(fd);
    });
    int whole = 0;
    for (int read = 0; read < 1000; ++read) {
        const auto loaded = LoadSummaryFile(path, SIZE_MAX);
        if (loaded) {
            ASSERT_EQ(loaded->size(), entries.size());
            ++whole;
        }
    }
    done = true;
    rewriter.join();
    RecordProperty("whole reads", whole);
}

}  // namespace
