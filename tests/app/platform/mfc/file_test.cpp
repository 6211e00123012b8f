// CFile over a temporary prefix: what it opens, refuses and how it reads.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/platform/mfc/file.h"
#include "support/deadline.h"
#include "support/temporary_prefix.h"

namespace fs = std::filesystem;

TEST(FileTest, ReadsWholeAndShortFilesByWindowsPathCaseInsensitively) {
    TemporaryPrefix prefix;
    std::string content(100000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 7);
    }
    WriteFile(prefix.driveC() / "Q" / "Sector" / "heightmap_1_2.zdt", content);
    CFile file;
    ASSERT_TRUE(file.Open("c:\\q\\SECTOR\\HEIGHTMAP_1_2.ZDT", CFile::modeRead | CFile::typeBinary));
    std::vector<char> buffer(content.size() + 10, 'z');
    EXPECT_EQ(file.Read(buffer.data(), 24), 24u);
    EXPECT_EQ(file.Read(buffer.data() + 24, static_cast<UINT>(buffer.size() - 24)),
              content.size() - 24);  // a short read stops at the end of the file
    EXPECT_EQ(std::string(buffer.data(), content.size()), content);
    EXPECT_EQ(buffer[content.size()], 'z');
    EXPECT_EQ(file.Read(buffer.data(), 10), 0u);
    EXPECT_EQ(file.Read(nullptr, 0), 0u);
    file.Close();
    EXPECT_THROW(file.Read(buffer.data(), 1), CFileException);
}

TEST(FileTest, RefusesMissingDirectoriesFifosAndWriting) {
    TemporaryPrefix prefix;
    fs::create_directories(prefix.driveC() / "dir");
    ASSERT_EQ(mkfifo((prefix.driveC() / "fifo.zdt").c_str(), 0600), 0);
    WriteFile(prefix.driveC() / "file.zdt", "data");

    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open("C:\\missing.zdt", CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_FALSE(file.Open("C:\\dir", CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::accessDenied);

    // A FIFO with no writer would block a plain open; it must be refused at once (tried first
    // where a wait can be killed).
    ASSERT_TRUE(FinishesWithin(std::chrono::seconds(10), [] {
        CFile fifo;
        fifo.Open("C:\\fifo.zdt", CFile::modeRead | CFile::typeBinary);
    })) << "the open waits on a FIFO";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(file.Open("C:\\fifo.zdt", CFile::modeRead | CFile::typeBinary, &error));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_STREQ(error.m_strFileName, "C:\\fifo.zdt");

    EXPECT_FALSE(file.Open("/dev/null", CFile::modeRead));  // a device, via Z:
    EXPECT_FALSE(file.Open("C:\\file.zdt", CFile::modeWrite | CFile::modeCreate, &error));
    EXPECT_EQ(error.m_cause, CFileException::accessDenied);
    EXPECT_FALSE(file.Open(nullptr, CFile::modeRead));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(file.Open("C:\\file.zdt", CFile::modeRead));
}

TEST(FileTest, ReadErrorThrowsWithFileNameAndReason) {
    TemporaryPrefix prefix;
    // /proc/self/mem reads fail at address 0 with EIO: a real read error on a regular file.
    CFile file;
    if (!file.Open("Z:\\proc\\self\\mem", CFile::modeRead)) {
        GTEST_SKIP() << "/proc/self/mem is not a regular file here";
    }
    char byte = 0;
    try {
        file.Read(&byte, 1);
        FAIL() << "no exception";
    } catch (const CFileException& exception) {
        EXPECT_EQ(exception.m_strFileName, "Z:\\proc\\self\\mem");
        EXPECT_NE(std::string(exception.what()).find("Z:\\proc\\self\\mem: "), std::string::npos);
        EXPECT_GT(exception.m_lOsError, 0);
    }
}
