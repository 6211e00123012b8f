// Windows paths onto a temporary prefix, and the choice of prefix.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "app/platform/wine/windows_path.h"
#include "app/platform/wine/wine_prefix.h"
#include "support/temporary_prefix.h"

namespace fs = std::filesystem;

TEST(WindowsPathTest, FullPathCollapsesAsTextAndKeepsSpelling) {
    TemporaryPrefix prefix;
    EXPECT_EQ(wine::FullWindowsPath("C:\\Games\\Q"), "C:\\Games\\Q");
    EXPECT_EQ(wine::FullWindowsPath("c:/Games//./x/../Q\\"), "c:\\Games\\Q\\");
    EXPECT_EQ(wine::FullWindowsPath("C:\\..\\..\\a"), "C:\\a");
    EXPECT_EQ(wine::FullWindowsPath("C:\\a.\\b. ."), "C:\\a\\b");  // Windows drops trailing dots
    EXPECT_EQ(wine::FullWindowsPath("C:\\Q\\\\world_cache\\*quarlend"),
              "C:\\Q\\world_cache\\*quarlend");
    EXPECT_EQ(wine::FullWindowsPath(""), "");
}

TEST(WindowsPathTest, RootedAndRelativePathsFollowTheCurrentDirectory) {
    TemporaryPrefix prefix;
    fs::create_directories(prefix.driveC() / "Games" / "Q");
    {
        // Inside drive_c the current drive is C:, the deepest drive holding the directory.
        ScopedCurrentDirectory current(prefix.driveC() / "Games");
        EXPECT_EQ(wine::CurrentWindowsDirectory(), "C:\\Games");
        EXPECT_EQ(wine::FullWindowsPath("\\world_cache\\x"), "C:\\world_cache\\x");
        EXPECT_EQ(wine::FullWindowsPath("Q\\..\\R"), "C:\\Games\\R");
        EXPECT_EQ(wine::FullWindowsPath("c:sub"), "c:\\Games\\sub");
        EXPECT_EQ(wine::FullWindowsPath("D:sub"), "D:\\sub");
    }
    {
        // Elsewhere only z: -> / holds it.
        ScopedCurrentDirectory current(prefix.path());
        const std::string expected = "Z:" + [&] {
            std::string text = prefix.path().string();
            for (char& c : text) {
                if (c == '/') {
                    c = '\\';
                }
            }
            return text;
        }();
        EXPECT_EQ(wine::CurrentWindowsDirectory(), expected);
        EXPECT_EQ(wine::FullWindowsPath("\\world_cache"), "Z:\\world_cache");
    }
}

TEST(WindowsPathTest, ResolvesComponentsWithoutRegardToCase) {
    TemporaryPrefix prefix;
    fs::create_directories(prefix.driveC() / "Games" / "Quarlend" / "World_Cache");
    const wine::HostPath found = wine::ResolveWindowsPath("C:\\GAMES\\quarlend\\world_cache");
    EXPECT_TRUE(found.exists);
    EXPECT_EQ(found.hostPath,
              prefix.path() / "dosdevices" / "c:" / "Games" / "Quarlend" / "World_Cache");
    EXPECT_EQ(found.windowsPath, "C:\\GAMES\\quarlend\\world_cache");

    // The exact name wins over a case variant.
    fs::create_directories(prefix.driveC() / "games");
    EXPECT_EQ(wine::ResolveWindowsPath("C:\\games").hostPath,
              prefix.path() / "dosdevices" / "c:" / "games");

    const wine::HostPath missing = wine::ResolveWindowsPath("C:\\Games\\NoSuch\\Deeper");
    EXPECT_FALSE(missing.exists);
    EXPECT_EQ(missing.hostPath,
              prefix.path() / "dosdevices" / "c:" / "Games" / "NoSuch" / "Deeper");
    EXPECT_FALSE(wine::ResolveWindowsPath("Q:\\x").exists);  // no such drive
    EXPECT_TRUE(wine::ResolveWindowsPath("Z:\\").exists);
}

TEST(WindowsPathTest, RunsOfDotsAreNamesAndNothingLeavesTheDrive) {
    using namespace std::string_view_literals;
    TemporaryPrefix prefix;
    const fs::path driveC = prefix.path() / "dosdevices" / "c:";
    fs::create_directories(prefix.driveC() / "..." / "etc");
    WriteFile(prefix.path() / "etc" / "passwd", "outside drive_c");

    // Three dots or more stay a name inside the path; only the final component loses its dots.
    EXPECT_EQ(wine::FullWindowsPath("C:\\...\\....\\x"), "C:\\...\\....\\x");
    EXPECT_EQ(wine::FullWindowsPath("C:\\a\\..."), "C:\\a");
    const wine::HostPath named = wine::ResolveWindowsPath("C:\\...\\ETC");
    EXPECT_TRUE(named.exists);
    EXPECT_EQ(named.hostPath, driveC / "..." / "etc");

    // Dots trimmed to ".." after the collapse once climbed out of drive_c: seven of them reached
    // the host's /etc/passwd, one the prefix's etc/passwd.
    const wine::HostPath sevenUp =
        wine::ResolveWindowsPath("C:\\...\\...\\...\\...\\...\\...\\...\\etc\\passwd");
    EXPECT_FALSE(sevenUp.exists);
    EXPECT_EQ(sevenUp.hostPath,
              driveC / "..." / "..." / "..." / "..." / "..." / "..." / "..." / "etc" / "passwd");
    EXPECT_FALSE(wine::ResolveWindowsPath("C:\\...\\etc\\passwd").exists);
    EXPECT_EQ(wine::ResolveWindowsPath("C:\\...\\..\\..\\etc\\passwd").hostPath,
              driveC / "etc" / "passwd");  // C:\.. is C:\ .

    // A path ends at its first NUL, as Windows reads it: "..\0x" is no name to look up.
    const wine::HostPath cut = wine::ResolveWindowsPath("C:\\..\0x\\etc"sv);
    EXPECT_EQ(cut.windowsPath, "C:\\");
    EXPECT_EQ(cut.hostPath, driveC);
}

TEST(WinePrefixTest, ProtonPrefixHoldingTheKeyWinsAndServesTheDrives) {
    TemporaryDirectory home;
    ScopedEnvironment noPrefix("WINEPREFIX", nullptr);
    ScopedEnvironment homeVariable("HOME", home.path().c_str());
    const fs::path wine = home.path() / ".wine";
    const fs::path proton = home.path() / ".local/share/Steam/steamapps/compatdata/123/pfx";
    const fs::path flatpak = home.path() /
                             ".var/app/com.valvesoftware.Steam/.local/share/Steam/steamapps/"
                             "compatdata/456/pfx";
    BuildPrefix(wine);
    BuildPrefix(proton);
    BuildPrefix(flatpak);
    fs::create_directories(home.path() / ".steam");
    fs::create_directory_symlink(home.path() / ".local/share/Steam", home.path() / ".steam/steam");

    const std::vector<fs::path> candidates = wine::CandidatePrefixes();
    ASSERT_EQ(candidates.size(), 3u);  // the ~/.steam/steam link does not list 123 twice
    EXPECT_EQ(candidates[0], wine);
    EXPECT_EQ(candidates[2], flatpak);

    EXPECT_EQ(wine::DrivePrefix(), wine);  // nothing chosen yet: the first existing one
    std::optional<fs::path> chosen =
        wine::SelectPrefix([&](const fs::path& candidate) { return candidate == flatpak; });
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, flatpak);
    EXPECT_EQ(wine::DrivePrefix(), flatpak);
    fs::create_directories(flatpak / "drive_c" / "Q");
    EXPECT_TRUE(wine::ResolveWindowsPath("C:\\q").exists);
    wine::ResetPrefixSelection();
    EXPECT_EQ(wine::DrivePrefix(), wine);
    EXPECT_FALSE(wine::ResolveWindowsPath("C:\\q").exists);
}

TEST(WinePrefixTest, WinePrefixVariableIsTheOnlyCandidate) {
    TemporaryDirectory home;
    ScopedEnvironment homeVariable("HOME", home.path().c_str());
    BuildPrefix(home.path() / ".wine");
    const std::string withSlash = (home.path() / "custom").string() + "//";
    ScopedEnvironment prefixVariable("WINEPREFIX", withSlash.c_str());
    ASSERT_EQ(wine::CandidatePrefixes().size(), 1u);
    EXPECT_EQ(wine::CandidatePrefixes()[0], home.path() / "custom");
    ScopedEnvironment relative("WINEPREFIX", "relative/pfx");
    EXPECT_TRUE(wine::CandidatePrefixes().empty());
    EXPECT_EQ(wine::DrivePrefix(), home.path() / ".wine");
}
