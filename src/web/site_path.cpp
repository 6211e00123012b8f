#include "web/site_path.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

#include "world/file_descriptor.h"

namespace web {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The walk a kernel without openat2 takes: component by component, never following a link.
int OpenWithoutLinks(int site, const std::string& relative) {
    world::FileDescriptor folder(dup(site));
    std::size_t start = 0;
    while (folder.get() >= 0) {
        const std::size_t slash = relative.find('/', start);
        const std::string part = relative.substr(start, slash - start);
        if (slash == std::string::npos) {
            return openat(folder.get(), part.c_str(),
                          O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        }
        folder = world::FileDescriptor(
            openat(folder.get(), part.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW));
        start = slash + 1;
    }
    return -1;
}

}  // namespace

std::optional<std::string> SitePathOf(std::string_view target) {
    target = target.substr(0, target.find('?'));
    if (target.size() > MaxPathBytes || target.empty() || target.front() != '/') {
        return std::nullopt;
    }
    // Decoded once: "%252e" is "%2e", a name, not a dot.
    std::string path;
    for (std::size_t at = 0; at < target.size(); ++at) {
        char c = target[at];
        if (c == '%') {
            const int high = at + 2 < target.size() ? HexDigit(target[at + 1]) : -1;
            const int low = at + 2 < target.size() ? HexDigit(target[at + 2]) : -1;
            if (high < 0 || low < 0) {
                return std::nullopt;
            }
            c = static_cast<char>(high * 16 + low);
            at += 2;
        }
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '\\') {
            return std::nullopt;
        }
        path.push_back(c);
    }
    // "/" or "/folder/": the folder's index.
    if (path.back() == '/') {
        path += "index.html";
    }
    path.erase(0, 1);
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view part = std::string_view(path).substr(start, end - start);
        // Empty (a doubled or leading slash, an absolute form), ".", ".." and dot-files (the
        // site's record) are no file of the page's.
        if (part.empty() || part.front() == '.') {
            return std::nullopt;
        }
        start = end + 1;
    }
    return path;
}

int OpenInsideSite(int site, const std::string& relative) {
    open_how how{};
    how.flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    int fd = static_cast<int>(syscall(SYS_openat2, site, relative.c_str(), &how, sizeof how));
    if (fd < 0 && errno == ENOSYS) {
        fd = OpenWithoutLinks(site, relative);
    }
    if (fd < 0) {
        return -1;
    }
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        errno = EISDIR;
        return -1;
    }
    return fd;
}

}  // namespace web
