// The registry file reader answers the same whatever its read buffer's size and wherever a line
// falls in it: the spellings Wine accepts for a key line are found at the start of the file and
// across the end of the first buffer alike. And no file makes it take more memory than allowed:
// a value no more than MaxValueBytes once decoded, a key no more than the file's size.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/platform/wine/registry_hive_file.h"
#include "app/platform/wine/registry_text.h"
#include "app/platform/wine/registry_value_types.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using wine::ReadRegistryKey;
using wine::RegistryValue;

const std::string HiveHeader = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n";

fs::path WriteHive(const std::string& text) {
    // One file per test: CTest runs the tests in parallel processes.
    const fs::path path = fs::path(testing::TempDir()) /
                          (std::string("registry_buffer_") +
                           testing::UnitTest::GetInstance()->current_test_info()->name() + ".reg");
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// Every answer as one comparable text: nothing, or each value's name, type and data.
std::string Answer(const std::optional<std::vector<RegistryValue>>& values) {
    if (!values) {
        return "(no key)";
    }
    std::string text;
    for (const RegistryValue& value : *values) {
        text += value.name + '|' + std::to_string(value.type) + '|' + value.data + '\n';
    }
    return text;
}

// Key lines Wine reads as Software\MolvaneStudios\Quarlend: plain, with octal and single-
// character escapes, and with a byte that is not UTF-8 (dropped when decoded).
const std::vector<std::string> Spellings = {
    "[Software\\\\MolvaneStudios\\\\Quarlend]",
    "[Soft\\167are\\\\MolvaneStudios\\\\Quarlend]",
    "[\\Software\\\\Molvane\\Studios\\\\Quarlend]",
    "[Sof\xfftware\\\\MolvaneStudios\\\\Quarlend]",
};

constexpr const char* Key = "Software\\MolvaneStudios\\Quarlend";

TEST(RegistryBuffer, EscapedKeyLinesAreFoundAtTheStartAndAcrossTheBufferEnd) {
    for (const std::string& spelling : Spellings) {
        const std::string section = spelling + " 1700000000\n@=\"C:\\\\Games\\\\Quarlend\"\n";
        ASSERT_EQ(Answer(ReadRegistryKey(WriteHive(HiveHeader + section), Key)),
                  "|1|C:\\Games\\Quarlend\0\n"s)
            << spelling;
        // Filler sections, then a comment line sized so that the key line starts a little
        // before, at and after the end of the first buffer.
        std::string filler = HiveHeader;
        for (int i = 0; filler.size() < wine::RegistryReadBufferBytes - 4096; ++i) {
            filler += "[Software\\\\Filler\\\\" + std::to_string(i) + "] 1\n\"v\"=\"x\"\n";
        }
        for (const std::size_t before : {40u, 17u, 5u, 1u, 0u}) {
            std::string hive = filler;
            const std::size_t padding = wine::RegistryReadBufferBytes - before - hive.size() - 2;
            hive += ';' + std::string(padding, 'p') + '\n' + section;
            ASSERT_EQ(hive.find(spelling), wine::RegistryReadBufferBytes - before);
            EXPECT_EQ(Answer(ReadRegistryKey(WriteHive(hive), Key)), "|1|C:\\Games\\Quarlend\0\n"s)
                << spelling << ", " << before << " bytes before the buffer's end";
        }
    }
}

TEST(RegistryBuffer, EveryBufferSizeGivesTheSameAnswers) {
    std::string hive = HiveHeader + "#arch=win64\n\n";
    for (const std::string& spelling : Spellings) {
        hive += spelling + " 1\n\"" + std::to_string(hive.size()) + "\"=dword:0000002a\n";
    }
    hive +=
        "  [Software\\\\Wow6432Node\\\\MolvaneStudios\\\\Quarlend] 2\r\n"
        "@=str(2):\"%ProgramFiles%\\\\Quarlend\"\r\n"
        "\"bin\"=hex:01,02,03,\\\n  04,05\n"
        "\"cut\"=hex:0a,0b,\\\n[Software\\\\Cut\\\\Short]\n\"after\"=\"cut\"\n"
        "[Software\\\\Long] 3\n\"long\"=\"" +
        std::string(3000, 'l') + "\"\n" + "[Software\\\\Long\\\\" + std::string(200, 'k') +
        "] 4\n@=\"deep\"\n" + "[Software\\\\Multi] 5\n\"m\"=str(7):\"a\\0b\\0\"\n" +
        "[Software\\\\\\115olvane\\x53tudios\\\\Other] 6\n\"o\"=\"octal and hex\"\n";
    const fs::path file = WriteHive(hive);
    const std::vector<std::string> keys = {
        Key,
        "Software\\Wow6432Node\\MolvaneStudios\\Quarlend",
        "Software\\Cut\\Short",
        "Software\\Long",
        "Software\\Long\\" + std::string(200, 'K'),
        "Software\\Multi",
        "Software\\MolvaneStudios\\Other",
        "Software\\MolvaneStudios",
        "Software\\Missing",
        "",
    };
    std::vector<std::string> expected;
    for (const std::string& key : keys) {
        expected.push_back(Answer(ReadRegistryKey(file, key)));
    }
    // The answers themselves: the 32-bit view of the key, and keys after the odd lines.
    EXPECT_NE(expected[0].find("%ProgramFiles%\\Quarlend"), std::string::npos);
    EXPECT_EQ(expected[2], "after|1|cut\0\n"s);
    EXPECT_EQ(expected[4], "|1|deep\0\n"s);
    EXPECT_EQ(expected[6], "o|1|octal and hex\0\n"s);
    EXPECT_EQ(expected[8], "(no key)");

    for (const std::size_t size : {4096u, 257u, 64u, 17u, 16u, 7u, 3u, 1u}) {
        for (std::size_t k = 0; k < keys.size(); ++k) {
            EXPECT_EQ(Answer(ReadRegistryKey(file, keys[k], size)), expected[k])
                << "key \"" << keys[k] << "\", buffer of " << size << " bytes";
        }
    }
}

// A REG_SZ written as hex(1): UTF-16LE units, each taking 2 bytes and 3 once decoded, spread
// over continuation lines. Only the decoded size tells whether it fits.
TEST(RegistryLimits, HexStringsAreMeasuredAsDecoded) {
    constexpr std::size_t UnitsPerLine = 4096;
    const auto parse = [](const std::string& unit, std::size_t units) {
        std::string line;
        for (std::size_t i = 0; i < UnitsPerLine; ++i) {
            line += unit + ',';
        }
        line += '\\';
        std::size_t left = units;
        std::string last;
        return wine::ParseValueLine("\"s\"=hex(1):\\", [&]() -> std::optional<std::string_view> {
            if (left > UnitsPerLine) {
                left -= UnitsPerLine;
                return line;
            }
            last = line.substr(0, left * 6);
            left = 0;
            return last;
        });
    };
    const std::size_t fitting = wine::MaxValueBytes / 3;
    const std::optional<RegistryValue> largest = parse("00,e0", fitting);  // U+E000
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->type, REG_SZ);
    EXPECT_EQ(largest->data.size(), fitting * 3);
    EXPECT_EQ(largest->data.substr(0, 3), "\xee\x80\x80");
    EXPECT_FALSE(parse("00,e0", fitting + 1));
    EXPECT_FALSE(parse("00,d8", fitting + 1));  // lone surrogates, each U+FFFD
}

// Empty values cost the reader some 200 bytes each for 12 bytes of file: a key of very many
// keeps what its file's size pays for, the first of them first, and the 32-bit view of a win64
// file gets the whole allowance even after the plain path's key has used it up.
TEST(RegistryLimits, AKeyOfManyEmptyValuesTakesNoMoreThanItsFile) {
    const auto section = [](const std::string& path, const std::string& installRoot) {
        std::string text = "[" + path + "] 1\n@=\"" + installRoot + "\"\n";
        for (int i = 0; i < 150'000; ++i) {
            text += "\"" + std::to_string(100'000 + i) + "\"=\"\"\n";
        }
        return text;
    };
    const fs::path file = WriteHive(HiveHeader + "#arch=win64\n\n" +
                                    section("Software\\\\MolvaneStudios\\\\Quarlend", "plain") +
                                    section("Software\\\\Wow6432Node\\\\MolvaneStudios\\\\Quarlend",
                                            "C:\\\\Games\\\\Quarlend"));
    const std::optional<std::vector<RegistryValue>> values = ReadRegistryKey(file, Key);
    ASSERT_TRUE(values);
    ASSERT_FALSE(values->empty());
    EXPECT_EQ(values->front().name, "");
    EXPECT_EQ(values->front().data, "C:\\Games\\Quarlend\0"s);
    EXPECT_LT(values->size() * sizeof(RegistryValue), fs::file_size(file));
    EXPECT_GT(values->size(), 1000u);
}

}  // namespace
