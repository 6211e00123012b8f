#pragma once
// Runs the velmora executable as a user would, and a demo prefix shared by a test suite.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "demo/demo_world.h"
#include "support/temporary_prefix.h"

namespace velmora_process {

namespace fs = std::filesystem;

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
    std::vector<std::string> lines;  // of out
};

inline std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string Quote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Runs velmora with the given arguments, WINEPREFIX=prefix and the given working directory.
inline Outcome RunVelmora(const fs::path& prefix, const std::vector<std::string>& arguments,
                          const fs::path& workingDirectory = fs::temp_directory_path()) {
    TemporaryDirectory scratch;
    std::string command = "cd " + Quote(workingDirectory.string()) +
                          " && WINEPREFIX=" + Quote(prefix.string()) + " " + VELMORA_EXECUTABLE;
    for (const std::string& argument : arguments) {
        command += " " + Quote(argument);
    }
    command += " >" + Quote((scratch.path() / "out").string()) + " 2>" +
               Quote((scratch.path() / "err").string());
    const int status = std::system(command.c_str());
    Outcome outcome;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.out = ReadWhole(scratch.path() / "out");
    outcome.err = ReadWhole(scratch.path() / "err");
    std::istringstream lines(outcome.out);
    for (std::string line; std::getline(lines, line);) {
        outcome.lines.push_back(line);
    }
    return outcome;
}

// A demo prefix written once for all tests of a suite, in a directory the tests may also use.
class DemoPrefixSuite : public testing::Test {
protected:
    static void SetUpTestSuite() {
        directory_ = std::make_unique<TemporaryDirectory>();
        demo::WriteDemoPrefix(Prefix());
    }
    static void TearDownTestSuite() { directory_.reset(); }
    static fs::path Scratch() { return directory_->path(); }
    static fs::path Prefix() { return Scratch() / "demo"; }
    static fs::path WorldCache() {
        return Prefix() / "drive_c" / "Games" / "Quarlend" / "world_cache";
    }

private:
    static inline std::unique_ptr<TemporaryDirectory> directory_;
};

}  // namespace velmora_process
