// CFileFind over a temporary prefix: masks, dots, titles, paths and the names it passes over.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <map>
#include <set>
#include <string>

#include "app/platform/mfc/file_find.h"
#include "support/temporary_prefix.h"

namespace fs = std::filesystem;

namespace {

struct Found {
    std::string title;
    std::string path;
    bool directory;
    bool dots;
};

// Runs the catalogue's loop (the last entry is processed too) and collects entries by name.
std::map<std::string, Found> Search(const char* mask) {
    std::map<std::string, Found> found;
    CFileFind finder;
    BOOL more = finder.FindFile(mask);
    while (more) {
        more = finder.FindNextFile();
        found[finder.GetFileName().str()] = {
            finder.GetFileTitle().str(), finder.GetFilePath().str(),
            finder.MatchesMask(FILE_ATTRIBUTE_DIRECTORY) != 0, finder.IsDots() != 0};
    }
    finder.Close();
    return found;
}

std::set<std::string> Names(const std::map<std::string, Found>& found) {
    std::set<std::string> names;
    for (const auto& [name, entry] : found) {
        names.insert(name);
    }
    return names;
}

}  // namespace

TEST(FileFindTest, WorldMaskFindsDirectoriesAndFilesCaseInsensitively) {
    TemporaryPrefix prefix;
    const fs::path cache = prefix.driveC() / "Games" / "Q" / "World_Cache";
    for (const char* name : {"Eastquarlend", "EastQUARLEND", "quarlend", "West.2quarlend",
                             "quarlendquarlend", "Other"}) {
        fs::create_directories(cache / name);
    }
    WriteFile(cache / "Filequarlend", "not a directory");

    std::map<std::string, Found> found = Search("C:\\games\\q\\world_cache\\*QUARLEND");
    EXPECT_EQ(Names(found),
              (std::set<std::string>{"EastQUARLEND", "Eastquarlend", "Filequarlend",
                                     "West.2quarlend", "quarlend", "quarlendquarlend"}));
    EXPECT_TRUE(found["Eastquarlend"].directory);
    EXPECT_FALSE(found["Filequarlend"].directory);
    EXPECT_EQ(found["West.2quarlend"].title, "West");
    // The path keeps the caller's spelling of the directory, with the name as stored.
    EXPECT_EQ(found["Eastquarlend"].path, "C:\\games\\q\\world_cache\\Eastquarlend");
    EXPECT_TRUE(Search("C:\\games\\q\\world_cache\\").empty());  // trailing separator
    EXPECT_TRUE(Search("C:\\games\\q\\nowhere\\*").empty());
    EXPECT_TRUE(Search("C:\\games\\q\\world_cache\\*nothing").empty());
}

TEST(FileFindTest, DotsTitlesAndTheLastEntry) {
    TemporaryPrefix prefix;
    const fs::path terrain = prefix.driveC() / "terrain";
    fs::create_directories(terrain / "3_4");
    fs::create_directories(terrain / "3_4.old");
    fs::create_directories(terrain / ".x");
    fs::create_directories(terrain / "a.b.c");

    std::map<std::string, Found> found = Search("C:\\terrain\\*");
    EXPECT_EQ(Names(found), (std::set<std::string>{".", "..", ".x", "3_4", "3_4.old", "a.b.c"}));
    EXPECT_TRUE(found["."].dots);
    EXPECT_TRUE(found[".."].dots);
    EXPECT_FALSE(found[".x"].dots);
    EXPECT_EQ(found[".x"].title, "");
    EXPECT_EQ(found["3_4.old"].title, "3_4");
    EXPECT_EQ(found["a.b.c"].title, "a.b");
    EXPECT_EQ(found[".."].path, "C:\\terrain\\..");

    // No dots at a drive root.
    EXPECT_EQ(Search("C:\\*").count("."), 0u);

    // One entry: FindFile TRUE, first FindNextFile FALSE, and the entry is valid.
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile("C:\\terrain\\*.old"));
    EXPECT_EQ(finder.GetFileName(), "");  // nothing current before FindNextFile
    EXPECT_FALSE(finder.FindNextFile());
    EXPECT_EQ(finder.GetFileName(), "3_4.old");
    EXPECT_TRUE(finder.IsDirectory());
    EXPECT_FALSE(finder.FindNextFile());
    EXPECT_EQ(finder.GetFileName(), "3_4.old");
    finder.Close();
    EXPECT_EQ(finder.GetFileName(), "");
}

TEST(FileFindTest, MaskWithoutWildcardsAndRelativeMasks) {
    TemporaryPrefix prefix;
    fs::create_directories(prefix.driveC() / "Data" / "Sub");
    std::map<std::string, Found> found = Search("C:\\data\\SUB");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found.begin()->first, "Sub");
    EXPECT_EQ(found.begin()->second.path, "C:\\data\\Sub");

    ScopedCurrentDirectory current(prefix.driveC() / "Data");
    found = Search(nullptr);  // "*.*" in the current directory
    EXPECT_EQ(Names(found), (std::set<std::string>{".", "..", "Sub"}));
    EXPECT_EQ(found["Sub"].path, "C:\\Data\\Sub");
    found = Search("\\data\\s*");  // rooted: on the current drive
    EXPECT_EQ(found["Sub"].path, "C:\\data\\Sub");
    EXPECT_FALSE(CFileFind().FindFile(std::string(300, 'a').c_str()));  // longer than MAX_PATH
}

TEST(FileFindTest, PassesOverNamesWindowsCannotHoldAndOddFiles) {
    TemporaryPrefix prefix;
    const fs::path dir = prefix.driveC() / "odd";
    fs::create_directories(dir);
    for (const char* name : {"back\\slash_1", "colon:_2", "star*_3", "ctrl\x01_4", "bad\xff_5",
                             "quote\"_6", "good_7", "caf\xc3\xa9_8"}) {
        fs::create_directory(dir / name);
    }
    ASSERT_EQ(mkfifo((dir / "fifo_9").c_str(), 0600), 0);
    fs::create_directory_symlink("loop_a", dir / "loop_b");
    fs::create_directory_symlink("loop_b", dir / "loop_a");
    fs::create_directory_symlink("missing", dir / "dangling_c");
    fs::create_directory_symlink("good_7", dir / "link_d");

    std::map<std::string, Found> found = Search("C:\\odd\\*_*");
    EXPECT_EQ(Names(found), (std::set<std::string>{"caf\xc3\xa9_8", "dangling_c", "fifo_9",
                                                   "good_7", "link_d", "loop_a", "loop_b"}));
    EXPECT_TRUE(found["link_d"].directory);
    EXPECT_FALSE(found["loop_a"].directory);
    EXPECT_FALSE(found["dangling_c"].directory);
    EXPECT_FALSE(found["fifo_9"].directory);
}

TEST(FileFindTest, AttributesBeyondDirectory) {
    TemporaryPrefix prefix;
    WriteFile(prefix.driveC() / "ro.txt", "x");
    fs::permissions(prefix.driveC() / "ro.txt", fs::perms::owner_read);
    WriteFile(prefix.driveC() / ".dot.txt", "x");
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile("C:\\ro.txt"));
    finder.FindNextFile();
    EXPECT_TRUE(finder.MatchesMask(FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(finder.MatchesMask(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_FALSE(finder.MatchesMask(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(finder.FindFile("C:\\.dot.*"));
    finder.FindNextFile();
    EXPECT_TRUE(finder.MatchesMask(FILE_ATTRIBUTE_HIDDEN));
}
