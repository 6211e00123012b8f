#include "web/site_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "world/file_descriptor.h"

namespace web {

namespace fs = std::filesystem;

namespace {

std::string Reason(int error) {
    return std::strerror(error);
}

}  // namespace

SiteFiles::SiteFiles(fs::path root) : root_(std::move(root)) {}

SiteFiles::~SiteFiles() {
    for (const fs::path& path : added_) {
        std::error_code ignored;
        fs::remove(path, ignored);
    }
}

void SiteFiles::Write(const std::string& relative, std::string_view bytes) {
    const fs::path target = root_ / relative;
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    if (error) {
        throw SiteFileError("cannot make the folder " + target.parent_path().string() + ": " +
                            error.message());
    }
    std::string temporary = target.string() + ".part-XXXXXX";
    const world::FileDescriptor file(mkostemp(temporary.data(), O_CLOEXEC));
    if (file.get() < 0) {
        throw SiteFileError("cannot write " + target.string() + ": " + Reason(errno));
    }
    const auto fail = [&](int code) {
        unlink(temporary.c_str());
        throw SiteFileError("cannot write " + target.string() + ": " + Reason(code));
    };
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t count = write(file.get(), bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            fail(count < 0 ? errno : ENOSPC);
        }
        written += static_cast<std::size_t>(count);
    }
    // Readable by whoever serves the site, as a file made by hand would be.
    if (fchmod(file.get(), 0644) != 0) {
        fail(errno);
    }
    const bool existed = fs::exists(target, error);
    if (rename(temporary.c_str(), target.c_str()) != 0) {
        fail(errno);
    }
    if (!existed) {
        const std::lock_guard lock(mutex_);
        added_.push_back(target);
    }
}

void SiteFiles::Keep() {
    const std::lock_guard lock(mutex_);
    added_.clear();
}

bool SiteFiles::Remove(const std::string& relative) {
    if (!IsInsideSite(relative)) {
        return false;
    }
    const fs::path target = root_ / relative;
    struct stat status {};
    if (lstat(target.c_str(), &status) != 0) {
        return errno == ENOENT;
    }
    return S_ISREG(status.st_mode) && unlink(target.c_str()) == 0;
}

bool IsInsideSite(std::string_view relative) {
    if (relative.empty() || relative.front() == '/' ||
        relative.find_first_of(std::string_view("\\\0", 2)) != std::string_view::npos) {
        return false;
    }
    std::size_t start = 0;
    while (start <= relative.size()) {
        const std::size_t end = std::min(relative.find('/', start), relative.size());
        const std::string_view part = relative.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") {
            return false;
        }
        start = end + 1;
    }
    return true;
}

}  // namespace web
