#include "files/output_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "files/output_error.h"
#include "support/file_size_limit.h"

namespace {

namespace fs = std::filesystem;
using files::OutputError;
using files::OutputFile;

class OutputFileTest : public ::testing::Test {
protected:
    OutputFileTest() {
        std::string pattern = (fs::temp_directory_path() / "velmora-files-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        folder_ = pattern;
    }
    ~OutputFileTest() override { fs::remove_all(folder_); }

    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void Put(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    // The folder's entries: the target alone once done, never a temporary file left behind.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }
    static void Write(OutputFile& file, const std::string& text) {
        file.Write(text.data(), text.size());
    }

    fs::path folder_;
};

TEST_F(OutputFileTest, TheTargetAppearsWholeOnlyAtCommit) {
    // Larger than the write buffer, in pieces that straddle its end.
    std::string text;
    for (int i = 0; text.size() < 200'000; ++i) {
        text += std::to_string(i) + ',';
    }
    const fs::path target = folder_ / "picture.png";
    OutputFile file(target, false);
    for (std::size_t at = 0; at < text.size(); at += 7'001) {
        Write(file, text.substr(at, 7'001));
    }
    EXPECT_FALSE(fs::exists(target));
    file.Commit();
    EXPECT_EQ(Read(target), text);
    EXPECT_EQ(Entries(), std::vector<std::string>{"picture.png"});
}

// A file of another's is replaced only when allowed, and only at commit: one never committed
// leaves nothing, and one written meanwhile is kept.
TEST_F(OutputFileTest, AnotherFileIsReplacedOnlyWhenAllowedAndOnlyAtCommit) {
    Put(folder_ / "out", "old");
    {
        OutputFile file(folder_ / "out", true);
        Write(file, "new");
        OutputFile never(folder_ / "never", false);
        Write(never, "new");
    }
    EXPECT_EQ(Read(folder_ / "out"), "old");
    EXPECT_EQ(Entries(), std::vector<std::string>{"out"});
    try {
        OutputFile refused(folder_ / "out", false);
        FAIL() << "an existing target was taken";
    } catch (const OutputError& error) {
        EXPECT_EQ(error.reason, OutputError::Reason::TargetExists);
        EXPECT_EQ(std::string(error.what()), (folder_ / "out").string() + " exists");
    }
    OutputFile file(folder_ / "out", true);
    Write(file, "new");
    file.Commit();
    EXPECT_EQ(Read(folder_ / "out"), "new");

    OutputFile late(folder_ / "late", false);
    Write(late, "new");
    Put(folder_ / "late", "theirs");
    try {
        late.Commit();
        FAIL() << "a file written meanwhile was replaced";
    } catch (const OutputError& error) {
        EXPECT_EQ(error.reason, OutputError::Reason::TargetExists);
    }
    EXPECT_EQ(Read(folder_ / "late"), "theirs");
}

TEST_F(OutputFileTest, TargetsThatCannotBeWrittenFailNamingThePlace) {
    fs::create_directory(folder_ / "folder");
    struct Case {
        fs::path target;
        bool overwrite;
        std::string message;
    };
    const Case cases[] = {
        {folder_ / "folder", true, (folder_ / "folder").string() + " is a directory"},
        {folder_ / "missing" / "out", false, "cannot write in " + (folder_ / "missing").string()},
        {folder_ / std::string(4100, 'a') / "out", false, "the output path is too long: "},
    };
    for (const Case& c : cases) {
        try {
            OutputFile file(c.target, c.overwrite);
            ADD_FAILURE() << "taken: " << c.message;
        } catch (const OutputError& error) {
            EXPECT_EQ(error.reason, OutputError::Reason::Other) << c.message;
            EXPECT_EQ(std::string(error.what()).rfind(c.message, 0), 0u) << error.what();
        }
    }
    EXPECT_EQ(Entries(), std::vector<std::string>{"folder"});
}

TEST_F(OutputFileTest, AFailedWriteThrowsAndLeavesNoFile) {
    // Past the file-size limit a write fails with EFBIG once the signal is ignored.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    {
        const FileSizeLimit limit(100'000);
        OutputFile file(folder_ / "big", false);
        try {
            Write(file, std::string(300'000, 'x'));
            file.Commit();
            ADD_FAILURE() << "a write past the limit passed";
        } catch (const OutputError& error) {
            EXPECT_EQ(error.reason, OutputError::Reason::Other);
            EXPECT_EQ(
                std::string(error.what()).rfind("cannot write " + (folder_ / "big").string(), 0),
                0u)
                << error.what();
        }
    }
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(Entries().empty());
}

}  // namespace
