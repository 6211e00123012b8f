#include "text/printable_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using text::PrintableName;

TEST(PrintableNameTest, KeepsPrintableAsciiAndReplacesEveryOtherByteOneForOne) {
    struct Case {
        std::string name;
        std::string printable;
    };
    const Case cases[] = {
        {"", ""},
        {"\x1b[31mred", "_[31mred"},
        {"Gr\xc3\xbcn", "Gr__n"},  // each byte of a UTF-8 sequence
        {std::string("a\0b", 3), "a_b"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PrintableName(c.name), c.printable) << c.printable;
    }
}

TEST(PrintableNameTest, EveryByteComesOutPrintable) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        all += static_cast<char>(byte);
    }
    const std::string printable = PrintableName(all);
    ASSERT_EQ(printable.size(), all.size());
    for (std::size_t i = 0; i < printable.size(); ++i) {
        EXPECT_TRUE(printable[i] >= 0x20 && printable[i] <= 0x7e) << i;
        EXPECT_EQ(printable[i] == all[i], i >= 0x20 && i <= 0x7e) << i;
    }
}

}  // namespace
