// Runs the velmora executable as a user would, on the demo prefix and on prefixes built to the
// catalogue's edge cases and to bad input.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/velmora_process.h"

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

namespace {

namespace fs = std::filesystem;
using velmora_process::Outcome;
using velmora_process::ReadWhole;
using velmora_process::RunVelmora;

std::string Hive(const std::string& values) {
    return "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
           "[Software\\\\Wow6432Node\\\\MolvaneStudios\\\\Quarlend] 1700000000\n" +
           values + "\n";
}

using DemoPrefixTest = velmora_process::DemoPrefixSuite;

TEST_F(DemoPrefixTest, ListsWorldsAndSectorsInTheViewersOrder) {
    const Outcome worlds = RunVelmora(Prefix(), {"worlds"});
    EXPECT_EQ(worlds.exitCode, 0) << worlds.err;
    EXPECT_THAT(worlds.lines, ElementsAre("East", "North", "West"));
    EXPECT_EQ(worlds.err, "");

    const Outcome first = RunVelmora(Prefix(), {"sectors"});
    EXPECT_EQ(first.exitCode, 0);
    EXPECT_THAT(first.lines, ElementsAre("0_0", "0_1", "0_2", "0_3", "1_0", "1_1", "1_2", "1_3",
                                         "2_0", "2_1", "2_2", "2_3", "3_0", "3_1", "3_2", "3_3"));

    const Outcome west = RunVelmora(Prefix(), {"sectors", "West"});
    EXPECT_THAT(west.lines,
                ElementsAre("0_0", "0_1", "0_2", "1_0", "1_1", "1_2", "2_0", "2_1", "2_2"));
}

TEST_F(DemoPrefixTest, HeightmapGivesTheWindowsPathAndTheExistingHostFile) {
    const Outcome found = RunVelmora(Prefix(), {"heightmap", "West", "2_1"});
    EXPECT_EQ(found.exitCode, 0) << found.err;
    ASSERT_EQ(found.lines.size(), 2u);
    EXPECT_EQ(found.lines[0],
              "C:\\Games\\Quarlend\\world_cache\\Westquarlend\\terrain\\2_1\\heightmap_2_1.zdt");
    EXPECT_TRUE(fs::is_regular_file(found.lines[1])) << found.lines[1];
    EXPECT_EQ(fs::file_size(found.lines[1]), 32282u);
}

TEST_F(DemoPrefixTest, UnknownNamesExitWithTwoAndOneLine) {
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"sectors", "South"},
                                                      {"heightmap", "South", "0_0"},
                                                      {"heightmap", "East", "9_9"},
                                                      {"heightmap", "east", "0_0"}}) {
        const Outcome outcome = RunVelmora(Prefix(), arguments);
        EXPECT_EQ(outcome.exitCode, 2) << arguments[0];
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
    }
}

// What a site's folder or a server's address can be that makes web and serve refuse: one line on
// stderr and exit 1, nothing left behind.
TEST_F(DemoPrefixTest, WebAndServeRefuseWhatTheyCannotUseInOneLine) {
    const auto oneLine = [](const Outcome& outcome) {
        return std::count(outcome.err.begin(), outcome.err.end(), '\n') == 1;
    };
    WriteFile(Scratch() / "a-file", "not a folder");
    const Outcome underFile =
        RunVelmora(Prefix(), {"web", "West", (Scratch() / "a-file" / "site").string()});
    EXPECT_EQ(underFile.exitCode, 1) << underFile.err;
    EXPECT_TRUE(oneLine(underFile)) << underFile.err;

    WriteFile(Scratch() / "mine" / "notes.txt", "mine");
    const Outcome foreign = RunVelmora(Prefix(), {"web", "West", (Scratch() / "mine").string()});
    EXPECT_EQ(foreign.exitCode, 1);
    EXPECT_TRUE(oneLine(foreign)) << foreign.err;
    EXPECT_THAT(foreign.err, testing::HasSubstr("--force"));
    EXPECT_FALSE(fs::exists(Scratch() / "mine" / "index.html"));

    const Outcome unknown = RunVelmora(Prefix(), {"web", "Nowhere", (Scratch() / "x").string()});
    EXPECT_EQ(unknown.exitCode, 2);

    // Worlds named or --all, not both nor neither; an unknown world among several is named.
    // Nothing is written for any of them.
    const std::string unmade = (Scratch() / "unmade").string();
    const std::vector<std::pair<std::vector<std::string>, int>> worlds = {
        {{"web", "--all", "West", unmade}, 64},  {{"web", unmade}, 64},
        {{"web", "West", "Nowhere", unmade}, 2}, {{"serve", "--all", "West", unmade}, 64},
        {{"serve", "West", "East", unmade}, 64},
    };
    for (const auto& [arguments, exitCode] : worlds) {
        const Outcome refused = RunVelmora(Prefix(), arguments);
        EXPECT_EQ(refused.exitCode, exitCode) << testing::PrintToString(arguments);
        EXPECT_TRUE(oneLine(refused)) << refused.err;
    }
    EXPECT_FALSE(fs::exists(unmade));

    // In plain words, before anything is written.
    fs::create_directory_symlink(Scratch() / "nowhere", Scratch() / "dangling");
    const std::vector<std::pair<std::vector<std::string>, std::string>> plain = {
        {{"web", "West", ""}, "no folder given"},
        {{"web", "West", (Scratch() / "dangling").string()}, "is a symbolic link to nothing"},
        {{"web", "West", (Scratch() / "textured").string(), "--texture",
          (Scratch() / "none.png").string()},
         "none.png does not exist"},
    };
    for (const auto& [arguments, reason] : plain) {
        const Outcome refused = RunVelmora(Prefix(), arguments);
        EXPECT_EQ(refused.exitCode, 1) << reason;
        EXPECT_TRUE(oneLine(refused)) << refused.err;
        EXPECT_THAT(refused.err, testing::HasSubstr(reason));
    }
    EXPECT_FALSE(fs::exists(Scratch() / "textured"));
    EXPECT_FALSE(fs::exists(Scratch() / "nowhere"));

    for (const std::vector<std::string>& listen :
         {std::vector<std::string>{"--listen", "not-an-address"},
          std::vector<std::string>{"--listen", "192.0.2.1"}}) {
        std::vector<std::string> arguments = {"serve", "West", (Scratch() / "served").string()};
        arguments.insert(arguments.end(), listen.begin(), listen.end());
        const Outcome refused = RunVelmora(Prefix(), arguments);
        EXPECT_EQ(refused.exitCode, 1) << listen[1] << ": " << refused.err;
        EXPECT_TRUE(refused.out.empty()) << refused.out;
        EXPECT_THAT(refused.err, testing::HasSubstr("velmora serve: ")) << refused.err;
    }
}

TEST_F(DemoPrefixTest, HelpAndMisuse) {
    for (const char* command : {"worlds", "sectors", "heightmap", "demo"}) {
        const Outcome help = RunVelmora(Prefix(), {command, "--help"});
        EXPECT_EQ(help.exitCode, 0) << command;
        EXPECT_THAT(help.out, HasSubstr(std::string("usage: velmora ") + command));
    }
    EXPECT_EQ(RunVelmora(Prefix(), {"--help"}).exitCode, 0);
    EXPECT_NE(RunVelmora(Prefix(), {}).exitCode, 0);
    EXPECT_NE(RunVelmora(Prefix(), {"frobnicate"}).exitCode, 0);
    EXPECT_NE(RunVelmora(Prefix(), {"heightmap", "East"}).exitCode, 0);
    EXPECT_NE(RunVelmora(Prefix(), {"worlds", "extra"}).exitCode, 0);
}

TEST_F(DemoPrefixTest, WorldCacheWithHostileEntriesListsTheRealOnes) {
    TemporaryDirectory copy;
    const fs::path prefix = copy.path() / "demo";
    demo::WriteDemoPrefix(prefix);
    const fs::path cache = prefix / "drive_c" / "Games" / "Quarlend" / "world_cache";
    const fs::path terrain = cache / "Eastquarlend" / "terrain";
    ASSERT_EQ(mkfifo((cache / "Fifoquarlend").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((terrain / "9_9").c_str(), 0600), 0);
    fs::create_directory_symlink("Loopquarlend", cache / "Loopquarlend");
    fs::create_directory_symlink(".", terrain / "8_8");  // a link back to its own directory
    fs::create_directory_symlink("7_7", terrain / "7_7x");
    fs::create_directory_symlink("7_7x", terrain / "7_7");
    fs::create_directories(cache / "Back\\slashquarlend");
    fs::create_directories(terrain / "5\\5_x");
    fs::create_directories(cache / "Bad\xff\xfequarlend");
    fs::create_directories(terrain / "6_\xff");

    const Outcome worlds = RunVelmora(prefix, {"worlds"});
    EXPECT_EQ(worlds.exitCode, 0) << worlds.err;
    EXPECT_THAT(worlds.lines, ElementsAre("East", "North", "West"));

    const Outcome sectors = RunVelmora(prefix, {"sectors", "East"});
    EXPECT_EQ(sectors.exitCode, 0) << sectors.err;
    // The link to its own directory is a directory (8_8); the link loop and the FIFO are not.
    EXPECT_THAT(sectors.lines,
                ElementsAre("0_0", "0_1", "0_2", "0_3", "1_0", "1_1", "1_2", "1_3", "2_0", "2_1",
                            "2_2", "2_3", "3_0", "3_1", "3_2", "3_3", "8_8"));
}

TEST(VelmoraCatalogueTest, TenThousandSectorsAreAllListed) {
    TemporaryPrefix prefix;
    prefix.WriteSystemReg(Hive("@=\"C:\\\\Q\""));
    const fs::path terrain = prefix.driveC() / "Q" / "world_cache" / "Bigquarlend" / "terrain";
    fs::create_directories(terrain);
    for (int x = 0; x < 100; ++x) {
        for (int y = 0; y < 100; ++y) {
            fs::create_directory(terrain / (std::to_string(x) + "_" + std::to_string(y)));
        }
    }
    const Outcome sectors = RunVelmora(prefix.path(), {"sectors"});
    EXPECT_EQ(sectors.exitCode, 0) << sectors.err;
    ASSERT_EQ(sectors.lines.size(), 10000u);
    EXPECT_EQ(sectors.lines.front(), "0_0");
    EXPECT_EQ(sectors.lines[1], "0_1");
    EXPECT_EQ(sectors.lines[10], "0_10");
    EXPECT_EQ(sectors.lines.back(), "99_99");
}

TEST(VelmoraCatalogueTest, InstallRootOf511CharactersIsReadAnd512IsNot) {
    TemporaryPrefix prefix;
    fs::create_directories(prefix.driveC() / "world_cache" / "Rootquarlend");
    const std::string root = "C:\\" + std::string(508, 'r');  // 511 characters
    ASSERT_EQ(root.size(), 511u);
    std::string escaped;
    for (char c : root) {
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }

    // Read whole, the root makes every search mask longer than a Windows path may be, so the
    // directory search finds nothing, as it would on Windows.
    prefix.WriteSystemReg(Hive("@=\"" + escaped + "\""));
    const Outcome long511 = RunVelmora(prefix.path(), {"worlds"}, prefix.driveC());
    EXPECT_EQ(long511.exitCode, 0);
    EXPECT_THAT(long511.lines, IsEmpty());

    // One character more and the lookup fails: the search runs below the current drive's root.
    prefix.WriteSystemReg(Hive("@=\"" + escaped + "x\""));
    EXPECT_THAT(RunVelmora(prefix.path(), {"worlds"}, prefix.driveC()).lines, ElementsAre("Root"));
}

TEST(VelmoraCatalogueTest, EmptyOrMissingInstallRootSearchesTheCurrentDrive) {
    TemporaryPrefix prefix;
    fs::create_directories(prefix.driveC() / "world_cache" / "Rootquarlend" / "terrain" / "1_1");
    for (const std::string& hive : {Hive("@=\"\""), Hive("\"Other\"=\"C:\\\\Q\"")}) {
        prefix.WriteSystemReg(hive);
        const Outcome worlds = RunVelmora(prefix.path(), {"worlds"}, prefix.driveC());
        EXPECT_EQ(worlds.exitCode, 0);
        EXPECT_THAT(worlds.lines, ElementsAre("Root"));
        const Outcome path =
            RunVelmora(prefix.path(), {"heightmap", "Root", "1_1"}, prefix.driveC());
        ASSERT_FALSE(path.lines.empty());
        EXPECT_EQ(path.lines[0], "C:\\world_cache\\Rootquarlend\\terrain\\1_1\\heightmap_1_1.zdt");
    }
}

TEST(VelmoraCatalogueTest, HostileRegistryFilesNeverCrashOrHang) {
    TemporaryPrefix prefix;
    fs::create_directories(prefix.driveC() / "Q" / "world_cache" / "Eastquarlend");
    std::string garbage;
    for (int i = 0; i < 1 << 16; ++i) {
        garbage.push_back(static_cast<char>((i * 2654435761u) >> 13));
    }
    const std::string good = Hive("@=\"C:\\\\Q\"");
    struct Case {
        std::string hive;
        int exitCode;  // 1 where no key is found: there is no install to list
        std::vector<std::string> worlds;
    };
    const std::vector<Case> cases = {
        {garbage, 1, {}},
        {"WINE REGISTRY Version 2\n" + garbage, 1, {}},
        {good.substr(0, good.size() - 6), 0, {}},  // cut inside the value
        {"WINE REGISTRY Version 2\n@=\"C:\\\\Q\"\n" + good.substr(24), 0, {"East"}},  // value first
        {good + std::string(1 << 20, '['), 0, {"East"}},
    };
    for (const Case& tried : cases) {
        prefix.WriteSystemReg(tried.hive);
        const Outcome worlds = RunVelmora(prefix.path(), {"worlds"}, prefix.driveC());
        EXPECT_EQ(worlds.exitCode, tried.exitCode) << worlds.err;
        EXPECT_EQ(worlds.lines, tried.worlds);
    }
}

TEST(VelmoraCatalogueTest, WithoutTheInstallKeyEveryCommandSaysWhereItLookedAndFails) {
    // A prefix that is not a registry file at all, and one whose registry lacks the key.
    TemporaryPrefix prefix;
    fs::create_directories(prefix.driveC() / "world_cache" / "Rootquarlend" / "terrain" / "1_1");
    for (const std::string& hive :
         {std::string("not a registry file"),
          std::string("WINE REGISTRY Version 2\n\n[Software\\\\Elsewhere] 1\n@=\"C:\\\\Q\"\n")}) {
        prefix.WriteSystemReg(hive);
        for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
                 {"worlds"},
                 {"sectors"},
                 {"heightmap", "Root", "1_1"},
                 {"map", "Root", "--output", "map.png"},
                 {"export", "Root", "1_1", "--format", "png16", "--output", "x.png"},
                 {"render", "Root", "1_1", "--output", "frame.png"}}) {
            const Outcome outcome = RunVelmora(prefix.path(), command, prefix.driveC());
            EXPECT_EQ(outcome.exitCode, 1) << command[0];
            EXPECT_TRUE(outcome.out.empty()) << command[0];
            EXPECT_EQ(outcome.err, "velmora " + command[0] +
                                       ": the game's install was not found: no Wine prefix holds "
                                       "HKEY_LOCAL_MACHINE\\SOFTWARE\\MolvaneStudios\\Quarlend "
                                       "(searched WINEPREFIX=" +
                                       prefix.path().string() + ")\n");
        }
        EXPECT_FALSE(fs::exists(prefix.driveC() / "map.png"));
    }

    // Without WINEPREFIX: ~/.wine, which is missing here, and the Proton prefixes found.
    TemporaryDirectory home;
    const fs::path proton = home.path() / ".steam" / "steam" / "steamapps" / "compatdata" / "7";
    fs::create_directories(proton / "pfx");
    const ScopedEnvironment homeIsEmpty("HOME", home.path().c_str());
    const Outcome worlds = RunVelmora("", {"worlds"});
    EXPECT_EQ(worlds.exitCode, 1);
    EXPECT_THAT(worlds.err, HasSubstr("(searched " + (home.path() / ".wine").string() +
                                      " and 1 Proton prefix: " + (proton / "pfx").string() +
                                      "); set WINEPREFIX to the game's Wine prefix\n"));
}

TEST(VelmoraCatalogueTest, HundredMegabyteRegistryIsScannedToTheKey) {
    TemporaryPrefix prefix;
    fs::create_directories(prefix.driveC() / "Q" / "world_cache" / "Eastquarlend");
    {
        std::ofstream out(prefix.path() / "system.reg", std::ios::binary);
        out << "WINE REGISTRY Version 2\n#arch=win64\n\n";
        const std::string filler =
            "[Software\\\\Filler\\\\Key] 1700000000\n@=\"" + std::string(200, 'f') +
            "\"\n"
            "\"Data\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n"
            "  16,17,18,19\n\n";
        for (std::size_t written = 0; written < 100u << 20; written += filler.size()) {
            out << filler;
        }
        out << "[Software\\\\Wow6432Node\\\\MolvaneStudios\\\\Quarlend] "
               "1700000000\n@=\"C:\\\\Q\"\n";
    }
    const Outcome worlds = RunVelmora(prefix.path(), {"worlds"});
    EXPECT_EQ(worlds.exitCode, 0) << worlds.err;
    EXPECT_THAT(worlds.lines, ElementsAre("East"));
}

TEST(VelmoraDemoTest, WritesTheSameBytesEveryTimeAndFailsCleanlyWhereItCannot) {
    TemporaryDirectory directory;
    ASSERT_EQ(RunVelmora(directory.path(), {"demo", (directory.path() / "a").string()}).exitCode,
              0);
    ASSERT_EQ(RunVelmora(directory.path(), {"demo", (directory.path() / "b").string()}).exitCode,
              0);
    for (const auto& entry : fs::recursive_directory_iterator(directory.path() / "a")) {
        if (entry.is_regular_file()) {
            const fs::path other =
                directory.path() / "b" / fs::relative(entry.path(), directory.path() / "a");
            EXPECT_EQ(ReadWhole(entry.path()), ReadWhole(other)) << entry.path();
        }
    }
    WriteFile(directory.path() / "file", "x");
    const Outcome blocked =
        RunVelmora(directory.path(), {"demo", (directory.path() / "file").string()});
    EXPECT_NE(blocked.exitCode, 0);
    EXPECT_EQ(std::count(blocked.err.begin(), blocked.err.end(), '\n'), 1) << blocked.err;
}

}  // namespace
