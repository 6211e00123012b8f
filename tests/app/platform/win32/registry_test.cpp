// RegOpenKeyA / RegEnumValueA over a temporary prefix's system.reg, and _stricmp.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/platform/win32/registry.h"
#include "app/platform/wine/registry_hive_file.h"
#include "support/deadline.h"
#include "support/temporary_prefix.h"

namespace {

constexpr const char* QuarlendKey = "SOFTWARE\\MolvaneStudios\\Quarlend";

std::string Hive(const std::string& body, const char* arch = "#arch=win32") {
    return std::string("WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n") + arch +
           "\n\n" + body;
}

// The start-up lookup of the install root: enumerate with 512/512 buffers until a call fails.
bool ReadValue(const char* keyPath, const char* valueName, std::string& out) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, keyPath, &key) != ERROR_SUCCESS) {
        return false;
    }
    bool found = false;
    for (DWORD index = 0;; ++index) {
        char name[512];
        BYTE data[512];
        DWORD nameChars = 512;
        DWORD dataBytes = 512;
        if (RegEnumValueA(key, index, name, &nameChars, nullptr, nullptr, data, &dataBytes) !=
            ERROR_SUCCESS) {
            break;
        }
        if (_stricmp(name, valueName) == 0) {
            out = dataBytes == 0
                      ? std::string()
                      : std::string(reinterpret_cast<const char*>(data),
                                    strnlen(reinterpret_cast<const char*>(data), dataBytes));
            found = true;
            break;
        }
    }
    RegCloseKey(key);
    return found;
}

struct Value {
    std::string name;
    DWORD type;
    std::string data;
};

std::vector<Value> AllValues(const char* keyPath) {
    std::vector<Value> values;
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, keyPath, &key) != ERROR_SUCCESS) {
        return values;
    }
    for (DWORD index = 0;; ++index) {
        std::vector<char> name(70000);
        std::vector<BYTE> data(70000);
        auto nameChars = static_cast<DWORD>(name.size());
        auto dataBytes = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueA(key, index, name.data(), &nameChars, nullptr, &type, data.data(),
                          &dataBytes) != ERROR_SUCCESS) {
            break;
        }
        values.push_back({std::string(name.data(), nameChars), type,
                          std::string(reinterpret_cast<const char*>(data.data()), dataBytes)});
    }
    RegCloseKey(key);
    return values;
}

}  // namespace

TEST(RegistryTest, DefaultValueIsTheInstallRootAndNamedValuesAreNotTaken) {
    TemporaryPrefix prefix;
    prefix.WriteSystemReg(
        Hive("[Software\\\\MolvaneStudios\\\\Quarlend] 1700000000\n#time=1d9a1b2c3d4e5f6\n"
             "\"\"=\"not default\"\n\"Path\"=\"C:\\\\Other\"\n@=\"C:\\\\Games\\\\Q\"\n"));
    std::string out = "unchanged";
    ASSERT_TRUE(ReadValue(QuarlendKey, "", out));
    EXPECT_EQ(out, "C:\\Games\\Q");
    ASSERT_TRUE(ReadValue(QuarlendKey, "PATH", out));  // names compare without case
    EXPECT_EQ(out, "C:\\Other");
}

TEST(RegistryTest, DefaultValueComesFirstEmptyAndTrailingBackslashKept) {
    TemporaryPrefix prefix;
    prefix.WriteSystemReg(Hive(
        "[Software\\\\MolvaneStudios\\\\Quarlend]\n\"A\"=\"1\"\n@=\"C:\\\\Games\\\\Q\\\\\"\n"));
    std::vector<Value> values = AllValues(QuarlendKey);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].name, "");
    EXPECT_EQ(values[0].type, REG_SZ);
    EXPECT_EQ(values[0].data, std::string("C:\\Games\\Q\\", 12));  // NUL counted
    std::string out;
    ASSERT_TRUE(ReadValue(QuarlendKey, "", out));
    EXPECT_EQ(out, "C:\\Games\\Q\\");

    prefix.WriteSystemReg(Hive("[Software\\\\MolvaneStudios\\\\Quarlend]\n@=\"\"\n"));
    out = "unchanged";
    ASSERT_TRUE(ReadValue(QuarlendKey, "", out));
    EXPECT_EQ(out, "");

    prefix.WriteSystemReg(Hive("[Software\\\\MolvaneStudios\\\\Quarlend]\n\"Other\"=\"x\"\n"));
    out = "unchanged";
    EXPECT_FALSE(ReadValue(QuarlendKey, "", out));
    EXPECT_EQ(out, "unchanged");
}

TEST(RegistryTest, FiveHundredElevenCharactersFitFiveHundredTwelveDoNot) {
    TemporaryPrefix prefix;
    const std::string fits(511, 'a');
    const std::string tooLong(512, 'b');
    prefix.WriteSystemReg(
        Hive("[Software\\\\MolvaneStudios\\\\Quarlend]\n@=\"" + fits + "\"\n\"x\"=\"y\"\n"));
    std::string out;
    ASSERT_TRUE(ReadValue(QuarlendKey, "", out));
    EXPECT_EQ(out, fits);

    prefix.WriteSystemReg(
        Hive("[Software\\\\MolvaneStudios\\\\Quarlend]\n@=\"" + tooLong + "\"\n\"x\"=\"y\"\n"));
    out = "unchanged";
    EXPECT_FALSE(ReadValue(QuarlendKey, "", out));
    EXPECT_FALSE(ReadValue(QuarlendKey, "x", out));  // enumeration stopped at the big value
    EXPECT_EQ(out, "unchanged");
}

TEST(RegistryTest, EnumValueCountsAndMoreDataRules) {
    TemporaryPrefix prefix;
    prefix.WriteSystemReg(
        Hive("[Software\\\\V\\\\G]\n\"foobar\"=\"foobar\"\n\"bin\"=hex:01,02,03\n\"num\"=dword:"
             "0000002a\n"));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\V\\G", &key), ERROR_SUCCESS);
    // Wine's order: case-insensitive by name.
    char name[16];
    BYTE data[16];
    DWORD nameChars = sizeof name;
    DWORD dataBytes = sizeof data;
    DWORD type = 99;
    ASSERT_EQ(RegEnumValueA(key, 1, name, &nameChars, nullptr, &type, data, &dataBytes),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, "foobar");
    EXPECT_EQ(nameChars, 6u);
    EXPECT_EQ(dataBytes, 7u);
    EXPECT_EQ(type, REG_SZ);

    // Data too small: ERROR_MORE_DATA, required size, name and data untouched.
    std::memset(data, 'z', sizeof data);
    std::strcpy(name, "stale");
    nameChars = sizeof name;
    dataBytes = 6;
    ASSERT_EQ(RegEnumValueA(key, 1, name, &nameChars, nullptr, &type, data, &dataBytes),
              ERROR_MORE_DATA);
    EXPECT_EQ(dataBytes, 7u);
    EXPECT_EQ(nameChars, sizeof name);
    EXPECT_STREQ(name, "stale");
    EXPECT_EQ(data[0], 'z');

    // Name too small: truncated with a NUL, count unchanged, data written.
    nameChars = 3;
    dataBytes = sizeof data;
    ASSERT_EQ(RegEnumValueA(key, 1, name, &nameChars, nullptr, &type, data, &dataBytes),
              ERROR_MORE_DATA);
    EXPECT_STREQ(name, "fo");
    EXPECT_EQ(nameChars, 3u);
    EXPECT_EQ(std::memcmp(data, "foobar", 7), 0);

    // Raw types are copied as they are, no NUL added.
    std::memset(data, 'z', sizeof data);
    nameChars = sizeof name;
    dataBytes = sizeof data;
    ASSERT_EQ(RegEnumValueA(key, 0, name, &nameChars, nullptr, &type, data, &dataBytes),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, "bin");
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(dataBytes, 3u);
    EXPECT_EQ(data[2], 3);
    EXPECT_EQ(data[3], 'z');
    nameChars = sizeof name;
    dataBytes = sizeof data;
    ASSERT_EQ(RegEnumValueA(key, 2, name, &nameChars, nullptr, &type, data, &dataBytes),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    ASSERT_EQ(dataBytes, 4u);
    EXPECT_EQ(data[0], 0x2a);

    // Past the end: ERROR_NO_MORE_ITEMS, nothing set. Bad parameters are refused.
    type = 99;
    dataBytes = 5;
    EXPECT_EQ(RegEnumValueA(key, 3, name, &nameChars, nullptr, &type, data, &dataBytes),
              ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(type, 99u);
    EXPECT_EQ(dataBytes, 5u);
    EXPECT_EQ(RegEnumValueA(key, 0, nullptr, &nameChars, nullptr, &type, data, &dataBytes),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegEnumValueA(key, 0, name, &nameChars, nullptr, &type, data, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegEnumValueA(key, 0, name, &nameChars, nullptr, &type, data, &dataBytes),
              ERROR_INVALID_HANDLE);
}

TEST(RegistryTest, StringWithoutTerminatorGetsOneWhenThereIsRoom) {
    TemporaryPrefix prefix;
    // hex(1) without a terminating NUL: "ab".
    prefix.WriteSystemReg(Hive("[Software\\\\V]\n@=hex(1):61,00,62,00\n"));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\V", &key), ERROR_SUCCESS);
    char name[8];
    BYTE data[8];
    std::memset(data, 'z', sizeof data);
    DWORD nameChars = sizeof name;
    DWORD dataBytes = sizeof data;
    ASSERT_EQ(RegEnumValueA(key, 0, name, &nameChars, nullptr, nullptr, data, &dataBytes),
              ERROR_SUCCESS);
    EXPECT_EQ(dataBytes, 2u);
    EXPECT_STREQ(reinterpret_cast<char*>(data), "ab");
    RegCloseKey(key);
}

TEST(RegistryTest, WowViewFirstInWin64ThenPlainPath) {
    TemporaryPrefix prefix;
    const std::string both =
        "[Software\\\\MolvaneStudios\\\\Quarlend]\n@=\"C:\\\\Plain\"\n\n"
        "[Software\\\\Wow6432Node\\\\MolvaneStudios\\\\Quarlend]\n@=\"C:\\\\Wow\"\n";
    std::string out;
    prefix.WriteSystemReg(Hive(both, "#arch=win64"));
    ASSERT_TRUE(ReadValue(QuarlendKey, "", out));
    EXPECT_EQ(out, "C:\\Wow");
    prefix.WriteSystemReg(Hive(both, "#arch=win32"));
    ASSERT_TRUE(ReadValue(QuarlendKey, "", out));
    EXPECT_EQ(out, "C:\\Plain");
    prefix.WriteSystemReg(
        Hive("[Software\\\\MolvaneStudios\\\\Quarlend]\n@=\"C:\\\\Plain\"\n", "#arch=win64"));
    ASSERT_TRUE(ReadValue(QuarlendKey, "", out));
    EXPECT_EQ(out, "C:\\Plain");
    // A 32-bit prefix has no redirection: its Wow6432Node key is not the program's.
    prefix.WriteSystemReg(
        Hive("[Software\\\\Wow6432Node\\\\MolvaneStudios\\\\Quarlend]\n@=\"C:\\\\Wow\"\n",
             "#arch=win32"));
    EXPECT_FALSE(ReadValue(QuarlendKey, "", out));
    prefix.WriteSystemReg(Hive(both, "#arch=win128"));  // unknown architecture: not a hive
    EXPECT_FALSE(ReadValue(QuarlendKey, "", out));
}

TEST(RegistryTest, EscapesAndEncodingsDecodeToAnsiBytes) {
    TemporaryPrefix prefix;
    prefix.WriteSystemReg(
        Hive("[Software\\\\V]\n"
             "\"esc\"=\"a\\\"b\\\\c\\td\\x41\\x00e9f\\101\\q\\x\"\n"  // \x00e9 then 'f'
             "\"\\xe9t\\xe9\"=str:\"caf\\xe9 \\x20ac \\xd83d\\xde00\"\n"
             "\"raw\"=\"caf\xc3\xa9\"\n"
             "\"exp\"=str(2):\"%SystemRoot%\"\n"
             "\"multi\"=str(7):\"one\\0two\\0\"\n"
             "\"hex2\"=hex(2):25,00,41,00,25,00,00,00\n"
             "\"q\"=hex(b):01,00,00,00,00,00,00,00\n"
             "\"none\"=hex(0):\n"));
    std::vector<Value> values = AllValues("Software\\V");
    std::map<std::string, Value> byName;
    for (const Value& value : values) {
        byName[value.name] = value;
    }
    EXPECT_EQ(byName["esc"].data, std::string("a\"b\\c\tdA\xc3\xa9"
                                              "fAqx",
                                              15));
    ASSERT_TRUE(byName.count("\xc3\xa9t\xc3\xa9"));
    EXPECT_EQ(byName["\xc3\xa9t\xc3\xa9"].data,
              std::string("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", 15));
    EXPECT_EQ(byName["raw"].data, std::string("caf\xc3\xa9", 6));
    EXPECT_EQ(byName["exp"].type, REG_EXPAND_SZ);
    EXPECT_EQ(byName["exp"].data, std::string("%SystemRoot%", 13));
    EXPECT_EQ(byName["multi"].type, REG_MULTI_SZ);
    EXPECT_EQ(byName["multi"].data, std::string("one\0two\0\0", 9));
    EXPECT_EQ(byName["hex2"].data, std::string("%A%", 4));
    EXPECT_EQ(byName["q"].type, REG_QWORD);
    EXPECT_EQ(byName["q"].data.size(), 8u);
    EXPECT_EQ(byName["none"].type, REG_NONE);
    EXPECT_EQ(byName["none"].data.size(), 0u);
}

TEST(RegistryTest, ContinuedHexCrlfMergedSectionsAndOverwrites) {
    TemporaryPrefix prefix;
    std::string hive = Hive(
        "[Software\\\\V] 1\n"
        "@=hex(1):43,00,3a,00,5c,00,\\\n  51,00,\\\n  00,00\n"
        "\"dup\"=\"first\"\n"
        "[Software\\\\Other]\n\"x\"=\"y\"\n"
        "[software\\\\v] 2\n"
        "\"DUP\"=\"second\"\n");
    std::string crlf;
    for (char c : hive) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    prefix.WriteSystemReg(crlf);
    std::vector<Value> values = AllValues("SOFTWARE\\V");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].data, std::string("C:\\Q", 5));
    EXPECT_EQ(values[1].name, "dup");  // the first spelling, the last data
    EXPECT_EQ(values[1].data, std::string("second", 7));
}

TEST(RegistryTest, BadLinesAreSkippedAndBadFilesAreMissingKeys) {
    TemporaryPrefix prefix;
    std::string out;
    prefix.WriteSystemReg(
        "WINE REGISTRY Version 2\n@=\"before any key\"\n"
        "[Software\\\\V]\ngarbage line\n\"broken\"=\"no end\n\"bad\"=dword:xyz\n"
        "\"cut\"=hex:01,02,\\\n[Software\\\\V\\\\Sub]\n@=\"sub\"\n"
        "[Software\\\\V]\n@=\"ok\"\n");
    std::vector<Value> values = AllValues("Software\\V");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].data, std::string("ok", 3));
    // The section that cut the hex value short is still read.
    ASSERT_TRUE(ReadValue("Software\\V\\Sub", "", out));
    EXPECT_EQ(out, "sub");

    for (const std::string& bad :
         {std::string("WINE REGISTRY Version 1\n[Software\\\\V]\n@=\"x\"\n"),
          std::string("REGEDIT4\n[Software\\\\V]\n@=\"x\"\n"), std::string(),
          std::string("\x7f"
                      "ELF\x02\x01\x01\0\0\0[Software\\\\V]\n@=\"x\"",
                      30)}) {
        prefix.WriteSystemReg(bad);
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\V", &key), ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(key, nullptr);
    }
    std::filesystem::remove(prefix.path() / "system.reg");
    EXPECT_FALSE(ReadValue("Software\\V", "", out));
    std::filesystem::create_directory(prefix.path() / "system.reg");
    EXPECT_FALSE(ReadValue("Software\\V", "", out));
    std::filesystem::remove(prefix.path() / "system.reg");
    // A FIFO without a writer must neither block nor count as a hive.
    ASSERT_EQ(mkfifo((prefix.path() / "system.reg").c_str(), 0600), 0);
    ASSERT_TRUE(FinishesWithin(std::chrono::seconds(10), [] {
        std::string value;
        ReadValue("Software\\V", "", value);
    })) << "the registry's read waits on a FIFO";
    EXPECT_FALSE(ReadValue("Software\\V", "", out));
}

TEST(RegistryTest, TruncatedFileAndBinaryGarbageNeverCrash) {
    TemporaryPrefix prefix;
    const std::string full = Hive(
        "[Software\\\\V]\n@=\"C:\\\\Games\"\n\"h\"=hex:01,02,\\\n  03\n\"s\"=str(7):\"a\\0b\"\n");
    for (std::size_t length = 0; length <= full.size(); ++length) {
        prefix.WriteSystemReg(full.substr(0, length));
        AllValues("Software\\V");  // any prefix of a good file is read without harm
    }
    prefix.WriteSystemReg(full.substr(0, full.find("Games") + 2));
    EXPECT_TRUE(AllValues("Software\\V").empty());  // the cut string has no closing quote

    std::string garbage = "WINE REGISTRY Version 2\n";
    unsigned state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245u + 12345u;
        garbage += static_cast<char>("[]\\\"@=#x0\n\r ,:hex(7)str"[(state >> 16) % 24]);
    }
    prefix.WriteSystemReg(garbage);
    AllValues("Software\\V");
    AllValues("");
}

TEST(RegistryTest, HugeLinesAndKeysWithOnlySubkeys) {
    TemporaryPrefix prefix;
    std::string hive = Hive("[Software\\\\Noise]\n\"big\"=\"");
    hive.append(3u << 20, 'n');  // a line longer than the reader's buffer
    hive += "\"\n[Software\\\\V\\\\G]\n@=\"deep\"\n[Software\\\\V]\n@=\"";
    hive.append(2u << 20, 'w');
    hive += "\"\n\"after\"=\"ok\"\n";
    prefix.WriteSystemReg(hive);
    std::string out;
    ASSERT_TRUE(ReadValue("Software\\V\\G", "", out));
    EXPECT_EQ(out, "deep");
    ASSERT_TRUE(ReadValue("Software\\V", "after", out));  // the overlong value is passed over
    EXPECT_EQ(out, "ok");

    prefix.WriteSystemReg(Hive("[Software\\\\MolvaneStudios\\\\Quarlend\\\\Sub]\n@=\"x\"\n"));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, QuarlendKey, &key), ERROR_SUCCESS);
    char name[8];
    DWORD nameChars = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &nameChars, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    HKEY sub = nullptr;
    ASSERT_EQ(RegOpenKeyA(key, "SUB", &sub), ERROR_SUCCESS);
    EXPECT_EQ(RegEnumValueA(sub, 0, name, &nameChars, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(nameChars, 0u);
    RegCloseKey(sub);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\MolvaneStudios\\Quarlen", &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\\\MolvaneStudios", &key),
              ERROR_FILE_NOT_FOUND);
}

TEST(StricmpTest, FoldsAsciiOnly) {
    EXPECT_EQ(_stricmp("Path", "pATH"), 0);
    EXPECT_EQ(_stricmp("", ""), 0);
    EXPECT_LT(_stricmp("JOHN_HENRY", "JOHNSTON"), 0);  // '_' sorts before letters
    EXPECT_NE(_stricmp("\xc3\xa4", "\xc3\x84"), 0);    // ä and Ä differ
    EXPECT_LT(_stricmp("a", "ab"), 0);
    EXPECT_GT(_stricmp("\x80", "a"), 0);  // bytes compare unsigned
}

TEST(RegistryTest, FirstPrefixHoldingTheKeyWinsAndServesTheDrives) {
    TemporaryDirectory home;
    ScopedEnvironment noPrefix("WINEPREFIX", nullptr);
    ScopedEnvironment homeVariable("HOME", home.path().c_str());
    const std::filesystem::path wine = home.path() / ".wine";
    const std::filesystem::path proton =
        home.path() / "snap/steam/common/.local/share/Steam/steamapps/compatdata/77/pfx";
    BuildPrefix(wine);
    BuildPrefix(proton);
    WriteFile(wine / "system.reg", Hive("[Software\\\\Other]\n@=\"x\"\n"));
    WriteFile(proton / "system.reg",
              Hive("[Software\\\\Wow6432Node\\\\MolvaneStudios\\\\Quarlend]\n@=\"C:\\\\Q\"\n",
                   "#arch=win64"));
    std::filesystem::create_directories(proton / "drive_c" / "Q" / "world_cache");

    EXPECT_EQ(wine::DrivePrefix(), wine);
    std::string out;
    ASSERT_TRUE(ReadValue(QuarlendKey, "", out));
    EXPECT_EQ(out, "C:\\Q");
    EXPECT_EQ(wine::DrivePrefix(), proton);
    // A later key found only in ~/.wine does not move the drives.
    ASSERT_TRUE(ReadValue("Software\\Other", "", out));
    EXPECT_EQ(wine::DrivePrefix(), proton);
}

TEST(RegistryTest, ValueLineSpacingAndQuotedNames) {
    TemporaryPrefix prefix;
    prefix.WriteSystemReg(Hive(
        "  [Software\\\\V]\n  \"a \\\"b\\\" = c\" =  \"x\"\n\t@ = \"d\"\n\"e\"=dword:ffffffff\n"
        "\"f\"=dword:123456789\n"));
    std::vector<Value> values = AllValues("Software\\V");
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0].data, std::string("d", 2));
    EXPECT_EQ(values[1].name, "a \"b\" = c");
    EXPECT_EQ(values[2].data, std::string("\xff\xff\xff\xff", 4));  // the 9-digit dword is refused
}
