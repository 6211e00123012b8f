#include "app/platform/wine/windows_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <optional>
#include <vector>

#include "app/platform/wine/host_directory.h"
#include "app/platform/wine/unicode_text.h"
#include "app/platform/wine/wine_prefix.h"

namespace wine {

namespace fs = std::filesystem;

namespace {

bool IsDriveLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

bool StartsWithDrive(std::string_view path) {
    return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':';
}

std::vector<std::string_view> SplitComponents(std::string_view path) {
    std::vector<std::string_view> components;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || IsPathSeparator(path[i])) {
            if (i > start) {
                components.push_back(path.substr(start, i - start));
            }
            start = i + 1;
        }
    }
    return components;
}

bool IsOnlyDots(std::string_view component) {
    return component.find_first_not_of('.') == std::string_view::npos;
}

// Applies `components` to `stack` as Windows collapses a path: `.` vanishes, `..` removes the
// previous component (never the drive), a trailing dot of an inner component is dropped and
// trailing dots and spaces of the final one. A component of three or more dots is a name: it
// keeps its dots inside the path, or else trimming it to ".." would climb after the collapse.
// So no component left is empty, `.` or `..`, and nothing reaches above the drive's root.
void Collapse(std::vector<std::string>& stack, const std::vector<std::string_view>& components) {
    for (std::string_view component : components) {
        if (component == ".") {
            continue;
        }
        if (component == "..") {
            if (!stack.empty()) {
                stack.pop_back();
            }
            continue;
        }
        stack.emplace_back(component);
    }
    for (std::size_t i = 0; i + 1 < stack.size(); ++i) {
        if (!IsOnlyDots(stack[i]) && stack[i].back() == '.') {
            stack[i].pop_back();
        }
    }
    if (!stack.empty()) {
        std::string& last = stack.back();
        while (!last.empty() && (last.back() == '.' || last.back() == ' ')) {
            last.pop_back();
        }
        if (last.empty()) {
            stack.pop_back();
        }
    }
}

struct WindowsLocation {
    char drive = 'Z';
    std::vector<std::string> components;
};

std::string Format(const WindowsLocation& location, bool trailingSeparator) {
    std::string text{location.drive, ':', '\\'};
    for (std::size_t i = 0; i < location.components.size(); ++i) {
        if (i > 0) {
            text += '\\';
        }
        text += location.components[i];
    }
    if (trailingSeparator && !location.components.empty()) {
        text += '\\';
    }
    return text;
}

fs::path DriveLink(const fs::path& prefix, char drive) {
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(drive)));
    return prefix / "dosdevices" / std::string{letter, ':'};
}

// The host directory a drive letter stands for; Z: is the host root even without its link.
std::optional<fs::path> DriveTarget(const fs::path& prefix, char drive) {
    const fs::path link = DriveLink(prefix, drive);
    struct stat info {};
    if (stat(link.c_str(), &info) == 0) {
        return link;
    }
    if (std::tolower(static_cast<unsigned char>(drive)) == 'z') {
        return fs::path("/");
    }
    return std::nullopt;
}

// The host current directory as Wine takes it: $PWD when it is the same directory as getcwd().
fs::path HostCurrentDirectory() {
    std::error_code error;
    fs::path actual = fs::current_path(error);
    if (error) {
        return fs::path("/");
    }
    if (const char* pwd = std::getenv("PWD"); pwd != nullptr && pwd[0] == '/') {
        struct stat pwdInfo {};
        struct stat actualInfo {};
        if (stat(pwd, &pwdInfo) == 0 && stat(actual.c_str(), &actualInfo) == 0 &&
            pwdInfo.st_dev == actualInfo.st_dev && pwdInfo.st_ino == actualInfo.st_ino) {
            return fs::path(pwd);
        }
    }
    return actual;
}

WindowsLocation CurrentLocation() {
    struct DriveRoot {
        char letter;
        dev_t device;
        ino_t inode;
    };
    const fs::path prefix = DrivePrefix();
    std::vector<DriveRoot> drives;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        struct stat info {};
        if (stat(DriveLink(prefix, letter).c_str(), &info) == 0) {
            drives.push_back({static_cast<char>(letter - 'a' + 'A'), info.st_dev, info.st_ino});
        }
    }
    const fs::path current = HostCurrentDirectory().lexically_normal();
    std::vector<std::string> components;
    for (const fs::path& part : current.relative_path()) {
        if (!part.empty()) {
            components.push_back(part.string());
        }
    }
    // From the deepest level upwards: the first level that is a drive's target decides.
    for (std::size_t depth = components.size() + 1; depth-- > 0;) {
        fs::path level("/");
        for (std::size_t i = 0; i < depth; ++i) {
            level /= components[i];
        }
        struct stat info {};
        if (stat(level.c_str(), &info) != 0) {
            continue;
        }
        for (const DriveRoot& drive : drives) {
            if (drive.device == info.st_dev && drive.inode == info.st_ino) {
                return {
                    drive.letter,
                    {components.begin() + static_cast<std::ptrdiff_t>(depth), components.end()}};
            }
        }
    }
    return {'Z', components};
}

// Finds `name` in `directory`: the exact name first, else the first entry equal to it without
// regard to case.
std::optional<std::string> FindEntry(const fs::path& directory, const std::string& name) {
    struct stat info {};
    if (lstat((directory / name).c_str(), &info) == 0) {
        return name;
    }
    HostDirectory stream = OpenHostDirectory(directory);
    if (!stream) {
        return std::nullopt;
    }
    while (const dirent* entry = readdir(stream.get())) {
        const std::string_view entryName(entry->d_name);
        if (entryName != "." && entryName != ".." && EqualsIgnoringCase(entryName, name)) {
            return std::string(entryName);
        }
    }
    return std::nullopt;
}

WindowsLocation FullLocation(std::string_view path, bool& trailingSeparator) {
    trailingSeparator = !path.empty() && IsPathSeparator(path.back());
    WindowsLocation location;
    std::string_view rest = path;
    if (StartsWithDrive(path)) {
        location.drive = path[0];
        rest = path.substr(2);
        if (rest.empty() || !IsPathSeparator(rest.front())) {
            // "X:name" is relative to the current directory when that is on X:, else to X:\ .
            WindowsLocation current = CurrentLocation();
            if (std::toupper(static_cast<unsigned char>(current.drive)) ==
                std::toupper(static_cast<unsigned char>(location.drive))) {
                location.components = std::move(current.components);
            }
        }
    } else if (!path.empty() && IsPathSeparator(path.front())) {
        location.drive = CurrentLocation().drive;
    } else {
        location = CurrentLocation();
    }
    Collapse(location.components, SplitComponents(rest));
    return location;
}

// A path handed to Windows ends at its first NUL; past it, the host would see a different path
// than the one resolved ("..\0x" is not "..", yet it names the parent).
std::string_view UpToNul(std::string_view path) {
    return path.substr(0, path.find('\0'));
}

}  // namespace

std::string FullWindowsPath(std::string_view path) {
    path = UpToNul(path);
    if (path.empty()) {
        return {};
    }
    bool trailingSeparator = false;
    const WindowsLocation location = FullLocation(path, trailingSeparator);
    return Format(location, trailingSeparator);
}

std::string CurrentWindowsDirectory() {
    return Format(CurrentLocation(), false);
}

HostPath ResolveWindowsPath(std::string_view path) {
    path = UpToNul(path);
    HostPath result;
    if (path.empty()) {
        return result;
    }
    bool trailingSeparator = false;
    const WindowsLocation location = FullLocation(path, trailingSeparator);
    result.windowsPath = Format(location, trailingSeparator);
    const fs::path prefix = DrivePrefix();
    std::optional<fs::path> root = DriveTarget(prefix, location.drive);
    if (!root) {
        result.hostPath = DriveLink(prefix, location.drive);
        for (const std::string& component : location.components) {
            result.hostPath /= component;
        }
        return result;
    }
    result.hostPath = *root;
    result.exists = true;
    for (const std::string& component : location.components) {
        if (result.exists) {
            if (std::optional<std::string> found = FindEntry(result.hostPath, component)) {
                result.hostPath /= *found;
                continue;
            }
            result.exists = false;
        }
        result.hostPath /= component;
    }
    if (result.exists) {
        struct stat info {};
        result.exists = stat(result.hostPath.c_str(), &info) == 0;
    }
    return result;
}

}  // namespace wine
