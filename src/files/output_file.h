#pragma once
// A file written under a temporary name beside its target and renamed onto the target only when
// complete, so that a failure, a full disk or an interrupt never leaves a partial file under the
// target's name.

#include <cstddef>
#include <filesystem>
#include <memory>

namespace files {

// Writes of one process at a time: an interrupt (SIGINT, SIGTERM, SIGHUP, SIGQUIT) removes the
// temporary file of the output being written before the process ends as the signal would end it.
class OutputFile {
public:
    // Creates the temporary file in the target's folder. Throws OutputError when the folder is
    // missing or not writable, or (Reason::TargetExists) when the target exists and overwrite is
    // false.
    OutputFile(const std::filesystem::path& target, bool overwrite);
    ~OutputFile();  // removes the temporary file unless Commit() succeeded
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Appends bytes; throws OutputError with the reason when they cannot be written.
    void Write(const void* bytes, std::size_t size);

    // Flushes the file to disk and moves it onto the target; throws OutputError on failure.
    void Commit();

    const std::filesystem::path& Target() const { return target_; }

private:
    void Flush();
    [[noreturn]] void Fail(const char* doing, int error) const;

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    bool overwrite_;
    int descriptor_ = -1;
    bool committed_ = false;
    // Writes are gathered here: one system call per block rather than per PNG chunk or line.
    static constexpr std::size_t BufferSize = std::size_t{1} << 16;
    std::unique_ptr<char[]> buffer_;
    std::size_t buffered_ = 0;
};

}  // namespace files
