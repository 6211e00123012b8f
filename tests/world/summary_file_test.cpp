// The summary cache file: what is written reads back, and any damage makes it ignored.

#include <gtest/gtest.h>

#include "world/summary_file.h"

namespace {

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

}  // namespace
