#include "files/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "files/output_error.h"

namespace files {

namespace {

namespace fs = std::filesystem;

// The temporary file of the output being written, for the interrupt handler to remove: a fixed
// buffer, since a signal handler may call nothing but async-signal-safe functions.
std::array<char, 4096> PendingPath{};
std::atomic<bool> PendingSet{false};

extern "C" void RemovePendingAndDie(int signal) {
    if (PendingSet.load()) {
        unlink(PendingPath.data());
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void InstallInterruptCleanup() {
    static const bool installed = [] {
        struct sigaction action {};
        action.sa_handler = RemovePendingAndDie;
        sigemptyset(&action.sa_mask);
        for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
            sigaction(signal, &action, nullptr);
        }
        return true;
    }();
    (void)installed;
}

std::string Describe(const fs::path& path) {
    return path.string();
}

mode_t CurrentUmask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

}  // namespace

OutputFile::OutputFile(const fs::path& target, bool overwrite)
    : target_(target), overwrite_(overwrite), buffer_(std::make_unique<char[]>(BufferSize)) {
    InstallInterruptCleanup();
    std::error_code error;
    const fs::file_status status = fs::symlink_status(target_, error);
    if (fs::exists(status)) {
        if (!overwrite_) {
            throw OutputError(OutputError::Reason::TargetExists, Describe(target_) + " exists");
        }
        if (fs::is_directory(status)) {
            throw OutputError(OutputError::Reason::Other, Describe(target_) + " is a directory");
        }
    }
    const fs::path folder = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
    std::string pattern = (folder / ".velmora-XXXXXX").string();
    if (pattern.size() >= PendingPath.size()) {
        throw OutputError(OutputError::Reason::Other,
                          "the output path is too long: " + Describe(target_));
    }
    descriptor_ = mkostemp(pattern.data(), O_CLOEXEC);
    if (descriptor_ < 0) {
        const int reason = errno;
        throw OutputError(OutputError::Reason::Other,
                          "cannot write in " + folder.string() + ": " + std::strerror(reason));
    }
    temporary_ = pattern;
    std::memcpy(PendingPath.data(), pattern.c_str(), pattern.size() + 1);
    PendingSet.store(true);
    fchmod(descriptor_, 0666 & ~CurrentUmask());
}

OutputFile::~OutputFile() {
    if (descriptor_ >= 0) {
        close(descriptor_);
    }
    if (!committed_ && !temporary_.empty()) {
        PendingSet.store(false);
        unlink(temporary_.c_str());
    }
}

void OutputFile::Fail(const char* doing, int error) const {
    throw OutputError(
        error == EEXIST ? OutputError::Reason::TargetExists : OutputError::Reason::Other,
        std::string("cannot ") + doing + " " + Describe(target_) + ": " + std::strerror(error));
}

void OutputFile::Flush() {
    const char* next = buffer_.get();
    std::size_t left = buffered_;
    while (left > 0) {
        const ssize_t written = write(descriptor_, next, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail("write", errno);
        }
        next += written;
        left -= static_cast<std::size_t>(written);
    }
    buffered_ = 0;
}

void OutputFile::Write(const void* bytes, std::size_t size) {
    const char* next = static_cast<const char*>(bytes);
    while (size > 0) {
        const std::size_t room = BufferSize - buffered_;
        const std::size_t taken = size < room ? size : room;
        std::memcpy(buffer_.get() + buffered_, next, taken);
        buffered_ += taken;
        next += taken;
        size -= taken;
        if (buffered_ == BufferSize) {
            Flush();
        }
    }
}

void OutputFile::Commit() {
    Flush();
    if (fsync(descriptor_) != 0) {
        Fail("write", errno);
    }
    if (close(descriptor_) != 0) {
        descriptor_ = -1;
        Fail("write", errno);
    }
    descriptor_ = -1;
    if (overwrite_) {
        if (rename(temporary_.c_str(), target_.c_str()) != 0) {
            Fail("write", errno);
        }
    } else if (renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, target_.c_str(),
                         RENAME_NOREPLACE) != 0) {
        // A file that appeared meanwhile is kept; a file system without the flag takes a hard
        // link, which fails the same way on an existing target.
        if (errno != EINVAL || link(temporary_.c_str(), target_.c_str()) != 0) {
            Fail("write", errno);
        }
        unlink(temporary_.c_str());
    }
    committed_ = true;
    PendingSet.store(false);
}

}  // namespace files
