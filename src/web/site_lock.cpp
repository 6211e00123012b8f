#include "web/site_lock.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace web {

namespace {

// A holder's line as shown to the user: one line, printable, not overlong.
constexpr std::size_t MaxHolderBytes = 200;

std::string Printable(std::string_view text) {
    std::string line;
    for (const char c : text.substr(0, MaxHolderBytes)) {
        if (c == '\n') {
            break;
        }
        line.push_back(static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c);
    }
    return line;
}

int OpenLockFile(int folder) {
    open_how how{};
    how.flags = O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC;
    how.mode = 0644;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    const std::string name(LockFileName);
    const int fd = static_cast<int>(syscall(SYS_openat2, folder, name.c_str(), &how, sizeof how));
    if (fd >= 0 || errno != ENOSYS) {
        return fd;
    }
    return openat(folder, name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
}

std::string HolderOf(int file) {
    char buffer[MaxHolderBytes];
    const ssize_t count = pread(file, buffer, sizeof buffer, 0);
    const std::string line = count > 0 ? Printable({buffer, static_cast<std::size_t>(count)}) : "";
    return line.empty() ? "another velmora" : line;
}

// Whether the open lock file is still the one the folder names: a holder removes it as it
// releases, and a lock taken on a removed file keeps no one out.
bool StillNamed(int folder, int file) {
    struct stat open {};
    struct stat named {};
    return fstat(file, &open) == 0 &&
           fstatat(folder, std::string(LockFileName).c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

}  // namespace

SiteLock SiteLock::Take(const std::filesystem::path& folder, const std::string& holder) {
    world::FileDescriptor directory(open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() < 0) {
        throw std::runtime_error("cannot open the folder " + folder.string() + ": " +
                                 std::strerror(errno));
    }
    for (;;) {
        world::FileDescriptor file(OpenLockFile(directory.get()));
        struct stat status {};
        if (file.get() < 0 || fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
            const int code = file.get() < 0 ? errno : EISDIR;
            throw std::runtime_error(
                "cannot make the lock file " + (folder / LockFileName).string() + ": " +
                (code == ELOOP || code == EISDIR ? "something else is in its place"
                                                 : std::strerror(code)));
        }
        if (flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno == EWOULDBLOCK) {
                throw SiteLocked(HolderOf(file.get()));
            }
            throw std::runtime_error("cannot lock " + (folder / LockFileName).string() + ": " +
                                     std::strerror(errno));
        }
        if (!StillNamed(directory.get(), file.get())) {
            continue;
        }
        SiteLock lock(folder, std::move(directory), std::move(file));
        lock.Describe(holder);
        return lock;
    }
}

SiteLock::SiteLock(std::filesystem::path folder, world::FileDescriptor directory,
                   world::FileDescriptor file)
    : folder_(std::move(folder)), directory_(std::move(directory)), file_(std::move(file)) {}

SiteLock& SiteLock::operator=(SiteLock&& other) noexcept {
    if (this != &other) {
        Release();
        folder_ = std::move(other.folder_);
        directory_ = std::move(other.directory_);
        file_ = std::move(other.file_);
    }
    return *this;
}

SiteLock::~SiteLock() {
    Release();
}

void SiteLock::Release() {
    if (file_.get() >= 0 && StillNamed(directory_.get(), file_.get())) {
        unlinkat(directory_.get(), std::string(LockFileName).c_str(), 0);
    }
    file_ = world::FileDescriptor();
    directory_ = world::FileDescriptor();
}

void SiteLock::Describe(const std::string& holder) {
    const std::string line = Printable(holder) + "\n";
    if (ftruncate(file_.get(), 0) == 0) {
        // Best effort: the line only names the holder to whoever is kept out.
        [[maybe_unused]] const ssize_t written = pwrite(file_.get(), line.data(), line.size(), 0);
    }
}

bool SiteLock::Holds(const std::filesystem::path& folder) const {
    struct stat mine {};
    struct stat other {};
    return file_.get() >= 0 && fstat(directory_.get(), &mine) == 0 &&
           stat(folder.c_str(), &other) == 0 && mine.st_dev == other.st_dev &&
           mine.st_ino == other.st_ino;
}

}  // namespace web
