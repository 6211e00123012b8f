#include <gtest/gtest.h>

#include <string>

#include "app/install_root.h"
#include "app/registry_reader.h"
#include "support/temporary_prefix.h"

namespace {

std::string Hive(const std::string& arch, const std::string& key, const std::string& values) {
    return "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=" + arch +
           "\n\n[" + key + "] 1700000000\n#time=1d9a0b0c0d0e0f0\n" + values + "\n";
}

class RegistryReaderTest : public testing::Test {
protected:
    // Reads the install root's default value; "<unchanged>" when the lookup fails.
    std::string ReadDefault() {
        CString out = "<unchanged>";
        RegistryReader reader;
        const bool found = reader.ReadValue(InstallRootKey, "", out);
        EXPECT_EQ(found, out != "<unchanged>");
        return out.GetString();
    }

    TemporaryPrefix prefix;
};

constexpr const char* GameKey = "Software\\\\Wow6432Node\\\\MolvaneStudios\\\\Quarlend";

TEST_F(RegistryReaderTest, ReadsTheDefaultValueExactlyAsStored) {
    prefix.WriteSystemReg(Hive("win64", GameKey, "@=\"C:\\\\Games\\\\Q\""));
    EXPECT_EQ(ReadDefault(), "C:\\Games\\Q");
}

TEST_F(RegistryReaderTest, TrailingBackslashIsKept) {
    prefix.WriteSystemReg(Hive("win64", GameKey, "@=\"C:\\\\Games\\\\Q\\\\\""));
    EXPECT_EQ(ReadDefault(), "C:\\Games\\Q\\");
}

TEST_F(RegistryReaderTest, OnlyTheDefaultValueCountsWhateverNamedValuesSurroundIt) {
    prefix.WriteSystemReg(Hive("win64", GameKey,
                               "\"AInstallPath\"=\"C:\\\\Wrong\"\n@=\"C:\\\\Right\"\n"
                               "\"zz\"=\"C:\\\\AlsoWrong\"\n"));
    EXPECT_EQ(ReadDefault(), "C:\\Right");

    prefix.WriteSystemReg(Hive("win64", GameKey, "\"InstallPath\"=\"C:\\\\Wrong\"\n"));
    EXPECT_EQ(ReadDefault(), "<unchanged>");
}

TEST_F(RegistryReaderTest, NamedValuesMatchWithoutRegardToCase) {
    prefix.WriteSystemReg(Hive("win64", GameKey, "\"InstallPath\"=\"C:\\\\Named\"\n"));
    CString out;
    RegistryReader reader;
    EXPECT_TRUE(reader.ReadValue(InstallRootKey, "INSTALLPATH", out));
    EXPECT_EQ(out, "C:\\Named");
}

TEST_F(RegistryReaderTest, EmptyDefaultValueSucceedsWithAnEmptyText) {
    prefix.WriteSystemReg(Hive("win64", GameKey, "@=\"\""));
    EXPECT_EQ(ReadDefault(), "");
    prefix.WriteSystemReg(Hive("win64", GameKey, "@=hex(1):"));
    EXPECT_EQ(ReadDefault(), "");
}

TEST_F(RegistryReaderTest, ValueOf511CharactersIsReadWholeAnd512Fails) {
    const std::string text511(511, 'a');
    prefix.WriteSystemReg(Hive("win64", GameKey, "@=\"" + text511 + "\""));
    EXPECT_EQ(ReadDefault(), text511);

    prefix.WriteSystemReg(Hive("win64", GameKey, "@=\"" + std::string(512, 'a') + "\""));
    EXPECT_EQ(ReadDefault(), "<unchanged>");
}

TEST_F(RegistryReaderTest, AnOversizedValueEndsTheEnumerationBeforeTheOneSought) {
    // Wine lists values sorted by name with the default first; an oversized value ahead of the
    // named one stops the search.
    prefix.WriteSystemReg(
        Hive("win64", GameKey, "\"a\"=\"" + std::string(600, 'x') + "\"\n\"b\"=\"found\"\n"));
    CString out = "<unchanged>";
    RegistryReader reader;
    EXPECT_FALSE(reader.ReadValue(InstallRootKey, "b", out));
    EXPECT_EQ(out, "<unchanged>");
}

TEST_F(RegistryReaderTest, DataIsTextUpToItsFirstNulWhateverItsType) {
    prefix.WriteSystemReg(Hive("win64", GameKey, "@=hex:43,3a,5c,51,00,5a,5a"));
    EXPECT_EQ(ReadDefault(), "C:\\Q");
    prefix.WriteSystemReg(Hive("win64", GameKey, "@=hex:43,3a,5c,51"));
    EXPECT_EQ(ReadDefault(), "C:\\Q");
}

TEST_F(RegistryReaderTest, ThirtyTwoBitViewOfAWin64PrefixComesFirst) {
    prefix.WriteSystemReg(
        "WINE REGISTRY Version 2\n#arch=win64\n\n"
        "[Software\\\\MolvaneStudios\\\\Quarlend]\n@=\"C:\\\\Native\"\n\n"
        "[Software\\\\Wow6432Node\\\\MolvaneStudios\\\\Quarlend]\n@=\"C:\\\\Wow\"\n");
    EXPECT_EQ(ReadDefault(), "C:\\Wow");

    prefix.WriteSystemReg(
        "WINE REGISTRY Version 2\n#arch=win64\n\n"
        "[Software\\\\MolvaneStudios\\\\Quarlend]\n@=\"C:\\\\Native\"\n");
    EXPECT_EQ(ReadDefault(), "C:\\Native");
}

TEST_F(RegistryReaderTest, MissingKeyFileOrGarbageLeavesTheOutputUnchanged) {
    EXPECT_EQ(ReadDefault(), "<unchanged>");  // no system.reg at all
    prefix.WriteSystemReg(Hive("win64", "Software\\\\Other", "@=\"C:\\\\X\""));
    EXPECT_EQ(ReadDefault(), "<unchanged>");
    prefix.WriteSystemReg(std::string("\x7f\x45\x4c\x46\x00\x01\xff garbage", 16));
    EXPECT_EQ(ReadDefault(), "<unchanged>");
}

}  // namespace
