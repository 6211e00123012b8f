#include "web/site_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <random>

namespace web {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t TemporarySuffix = 6;
constexpr std::string_view TemporaryLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
// Deeper than any site's folders; a bound on what a hostile tree can make the walk do.
constexpr int MaxDepth = 32;

std::string Reason(int error) {
    return std::strerror(error);
}

// One component below `folder`, a folder, never a link.
int OpenComponent(int folder, const std::string& part) {
    open_how how{};
    how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    const int fd = static_cast<int>(syscall(SYS_openat2, folder, part.c_str(), &how, sizeof how));
    if (fd >= 0 || errno != ENOSYS) {
        return fd;
    }
    // Without openat2: a link opened with O_NOFOLLOW is not a folder (ENOTDIR).
    return openat(folder, part.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
}

std::pair<std::string, std::string> Split(const std::string& relative) {
    const std::size_t slash = relative.rfind('/');
    if (slash == std::string::npos) {
        return {"", relative};
    }
    return {relative.substr(0, slash), relative.substr(slash + 1)};
}

std::string TemporaryName(const std::string& leaf) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::string name = leaf + std::string(TemporaryMark);
    for (std::size_t i = 0; i < TemporarySuffix; ++i) {
        name.push_back(TemporaryLetters[random() % TemporaryLetters.size()]);
    }
    return name;
}

// Renames without replacing anything; a file system without RENAME_NOREPLACE links instead,
// which fails the same way on a name taken.
int RenameNoReplace(int folder, const std::string& from, const std::string& to) {
    if (renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return -1;
    }
    if (linkat(folder, from.c_str(), folder, to.c_str(), 0) != 0) {
        return -1;
    }
    unlinkat(folder, from.c_str(), 0);
    return 0;
}

bool Walk(int folder, const std::string& prefix, int depth,
          const std::function<bool(const SiteEntry&)>& visit) {
    if (depth > MaxDepth) {
        return true;
    }
    const int fd = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return true;
    }
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(fdopendir(fd), closedir);
    if (!dir) {
        close(fd);
        return true;
    }
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        struct stat status {};
        if (fstatat(fd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        if (S_ISDIR(status.st_mode)) {
            const world::FileDescriptor below(OpenComponent(fd, name));
            if (below.get() >= 0 && !Walk(below.get(), prefix + name + "/", depth + 1, visit)) {
                return false;
            }
        } else if (!visit({prefix + name, S_ISREG(status.st_mode)})) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool IsTemporaryName(std::string_view name, std::string* base) {
    const std::size_t mark = name.rfind(TemporaryMark);
    if (mark == std::string_view::npos || mark == 0 ||
        name.size() != mark + TemporaryMark.size() + TemporarySuffix) {
        return false;
    }
    const std::string_view suffix = name.substr(mark + TemporaryMark.size());
    if (!std::all_of(suffix.begin(), suffix.end(),
                     [](char c) { return TemporaryLetters.find(c) != std::string_view::npos; })) {
        return false;
    }
    if (base != nullptr) {
        *base = std::string(name.substr(0, mark));
    }
    return true;
}

int OpenFolderBeneath(int folder, std::string_view relative, bool make) {
    int at = fcntl(folder, F_DUPFD_CLOEXEC, 0);
    std::size_t start = 0;
    while (at >= 0 && start < relative.size()) {
        const world::FileDescriptor above(at);
        const std::size_t slash = std::min(relative.find('/', start), relative.size());
        const std::string part(relative.substr(start, slash - start));
        start = slash + 1;
        if (part.empty() || part == "." || part == "..") {
            errno = EINVAL;
            return -1;
        }
        at = OpenComponent(above.get(), part);
        if (at < 0 && errno == ENOENT && make) {
            if (mkdirat(above.get(), part.c_str(), 0755) != 0 && errno != EEXIST) {
                return -1;
            }
            at = OpenComponent(above.get(), part);
        }
    }
    return at;
}

SiteFiles::SiteFiles(fs::path root)
    : root_(std::move(root)), folder_(open(root_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)) {
    if (folder_.get() < 0) {
        throw SiteFileError("cannot open the folder " + root_.string() + ": " + Reason(errno));
    }
}

SiteFiles::~SiteFiles() {
    Discard();
}

void SiteFiles::MayReplace(const std::string& relative) {
    const std::lock_guard lock(mutex_);
    replaceable_.insert(relative);
}

void SiteFiles::Write(const std::string& relative, std::string_view bytes) {
    const std::string target = (root_ / relative).string();
    if (!IsInsideSite(relative)) {
        throw SiteFileError("cannot write " + target + ": not a path inside the site");
    }
    const auto [parent, leaf] = Split(relative);
    const world::FileDescriptor folder(OpenFolderBeneath(folder_.get(), parent, true));
    if (folder.get() < 0) {
        const int code = errno;
        throw SiteFileError("cannot make the folder " + (root_ / parent).string() + ": " +
                            (code == ELOOP || code == ENOTDIR
                                 ? "a symbolic link or a file is in its way"
                                 : Reason(code)));
    }
    std::string temporary;
    world::FileDescriptor file;
    do {
        temporary = TemporaryName(leaf);
        file = world::FileDescriptor(openat(folder.get(), temporary.c_str(),
                                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                            0644));
    } while (file.get() < 0 && errno == EEXIST);
    if (file.get() < 0) {
        throw SiteFileError("cannot write " + target + ": " + Reason(errno));
    }
    const auto fail = [&](const std::string& reason) {
        unlinkat(folder.get(), temporary.c_str(), 0);
        throw SiteFileError("cannot write " + target + ": " + reason);
    };
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t count = write(file.get(), bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            fail(Reason(count < 0 ? errno : ENOSPC));
        }
        written += static_cast<std::size_t>(count);
    }
    // Readable by whoever serves the site, as a file made by hand would be.
    if (fchmod(file.get(), 0644) != 0) {
        fail(Reason(errno));
    }
    bool replaceable = false;
    {
        const std::lock_guard lock(mutex_);
        replaceable = replaceable_.contains(relative);
    }
    bool existed = false;
    if (replaceable) {
        struct stat status {};
        existed = fstatat(folder.get(), leaf.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0;
        if (existed && !S_ISREG(status.st_mode)) {
            fail("something that is not a file is in its place");
        }
        if (renameat(folder.get(), temporary.c_str(), folder.get(), leaf.c_str()) != 0) {
            fail(Reason(errno));
        }
    } else if (RenameNoReplace(folder.get(), temporary, leaf) != 0) {
        const int code = errno;
        bool again = false;
        if (code == EEXIST) {
            // A file this run wrote already is its own to write again.
            const std::lock_guard lock(mutex_);
            again = std::find(added_.begin(), added_.end(), relative) != added_.end();
        }
        if (!again) {
            fail(code == EEXIST ? "a file that is not the site's is in its place" : Reason(code));
        }
        if (renameat(folder.get(), temporary.c_str(), folder.get(), leaf.c_str()) != 0) {
            fail(Reason(errno));
        }
        return;
    }
    const std::lock_guard lock(mutex_);
    if (existed) {
        replaced_ = true;
    } else {
        added_.push_back(relative);
    }
}

void SiteFiles::Keep() {
    const std::lock_guard lock(mutex_);
    added_.clear();
}

bool SiteFiles::Discard() {
    std::vector<std::string> added;
    {
        const std::lock_guard lock(mutex_);
        added.swap(added_);
    }
    bool all = true;
    for (const std::string& path : added) {
        all = Remove(path) && all;
    }
    return all;
}

bool SiteFiles::ReplacedAny() const {
    const std::lock_guard lock(mutex_);
    return replaced_;
}

bool SiteFiles::Remove(const std::string& relative) {
    if (!IsInsideSite(relative)) {
        return false;
    }
    const auto [parent, leaf] = Split(relative);
    const world::FileDescriptor folder(OpenFolderBeneath(folder_.get(), parent, false));
    if (folder.get() < 0) {
        return errno == ENOENT;
    }
    struct stat status {};
    if (fstatat(folder.get(), leaf.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT;
    }
    return S_ISREG(status.st_mode) && unlinkat(folder.get(), leaf.c_str(), 0) == 0;
}

SiteEntryKind SiteFiles::Kind(const std::string& relative) const {
    if (!IsInsideSite(relative)) {
        return SiteEntryKind::Blocked;
    }
    const auto [parent, leaf] = Split(relative);
    const world::FileDescriptor folder(OpenFolderBeneath(folder_.get(), parent, false));
    if (folder.get() < 0) {
        return errno == ENOENT ? SiteEntryKind::Missing : SiteEntryKind::Blocked;
    }
    struct stat status {};
    if (fstatat(folder.get(), leaf.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT ? SiteEntryKind::Missing : SiteEntryKind::Blocked;
    }
    return S_ISREG(status.st_mode) ? SiteEntryKind::File : SiteEntryKind::Blocked;
}

std::optional<std::string> SiteFiles::Read(const std::string& relative) const {
    std::string bytes;
    if (!ReadInto(relative, bytes)) {
        return std::nullopt;
    }
    return bytes;
}

bool SiteFiles::ReadInto(const std::string& relative, std::string& bytes) const {
    if (!IsInsideSite(relative)) {
        return false;
    }
    const auto [parent, leaf] = Split(relative);
    const world::FileDescriptor folder(OpenFolderBeneath(folder_.get(), parent, false));
    if (folder.get() < 0) {
        return false;
    }
    const world::FileDescriptor file(
        openat(folder.get(), leaf.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    if (file.get() < 0 || fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    // Read to its end, whatever its size said: a file may grow meanwhile.
    bytes.resize(static_cast<std::size_t>(status.st_size) + 1);
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            bytes.resize(bytes.size() * 2);
        }
        const ssize_t count = read(file.get(), bytes.data() + filled, bytes.size() - filled);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return false;
        }
        if (count == 0) {
            bytes.resize(filled);
            return true;
        }
        filled += static_cast<std::size_t>(count);
    }
}

std::vector<SiteEntry> SiteFiles::Entries(const std::string& under) const {
    std::vector<SiteEntry> entries;
    EachEntry(under, [&](const SiteEntry& entry) {
        entries.push_back(entry);
        return true;
    });
    return entries;
}

bool SiteFiles::EachEntry(const std::string& under,
                          const std::function<bool(const SiteEntry&)>& visit) const {
    const world::FileDescriptor folder(OpenFolderBeneath(folder_.get(), under, false));
    return folder.get() < 0 || Walk(folder.get(), under.empty() ? "" : under + "/", 0, visit);
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
