#pragma once
// Windows paths on the Wine prefix: full Windows form and the host path they resolve to.

#include <filesystem>
#include <string>
#include <string_view>

namespace wine {

// GetFullPathName-like: `\` and `/` both separate, `X:` is absolute, a leading separator is on
// the current drive, anything else is relative to the current directory; `.` and `..` collapse
// as text and never climb above the drive's root, while "..." and longer runs of dots are names.
// The path ends at a NUL. The caller's spelling is kept. Example: "\a\.\b/../c" -> "Z:\a\c".
std::string FullWindowsPath(std::string_view path);

// The process's current directory in Windows form, e.g. "Z:\home\user" or "C:\".
std::string CurrentWindowsDirectory();

struct HostPath {
    std::string windowsPath;         // FullWindowsPath of the input
    std::filesystem::path hostPath;  // existing components resolved, the rest as written
    bool exists = false;             // every component exists
};

// Resolves each component case-insensitively (exact name first, else the first matching entry);
// drive X: maps through <prefix>/dosdevices/x:, and the host path never leaves that directory.
HostPath ResolveWindowsPath(std::string_view path);

// `\` and `/` both separate components of a Windows path.
inline bool IsPathSeparator(char c) {
    return c == '\\' || c == '/';
}

}  // namespace wine
