#include "app/platform/wine/directory_scan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

#include "app/platform/wine/file_attributes.h"
#include "app/platform/wine/unicode_text.h"
#include "app/platform/wine/windows_path.h"

namespace wine {

bool IsWindowsFileName(std::string_view name) {
    if (name.empty()) {
        return false;
    }
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr) {
            return false;
        }
    }
    return IsValidUtf8(name);
}

std::unique_ptr<DirectorySearch> DirectorySearch::Start(std::string_view mask) {
    // The pattern is the last component as written; the rest names the directory.
    std::size_t split = mask.size();
    while (split > 0 && !IsPathSeparator(mask[split - 1])) {
        --split;
    }
    if (split == 0 && mask.size() >= 2 && mask[1] == ':') {
        split = 2;  // "C:*.txt": the current directory of drive C:
    }
    const std::string_view directoryPart = mask.substr(0, split);
    const std::string_view pattern = mask.substr(split);
    if (pattern.empty()) {
        return nullptr;  // a trailing separator never matches
    }
    const HostPath directory = ResolveWindowsPath(directoryPart.empty() ? "." : directoryPart);
    if (!directory.exists) {
        return nullptr;
    }
    HostDirectory stream = OpenHostDirectory(directory.hostPath);
    if (!stream) {
        return nullptr;
    }
    std::string root = directory.windowsPath;
    const bool atDriveRoot = root.size() == 3;  // "X:\"
    if (root.empty() || root.back() != '\\') {
        root += '\\';
    }
    std::unique_ptr<DirectorySearch> search(
        new DirectorySearch(std::move(root), DosMask(pattern), std::move(stream), atDriveRoot));
    search->next_ = search->Fetch();
    if (!search->next_) {
        return nullptr;
    }
    return search;
}

DirectorySearch::DirectorySearch(std::string root, DosMask mask, HostDirectory directory,
                                 bool atDriveRoot)
    : root_(std::move(root)),
      mask_(std::move(mask)),
      directory_(std::move(directory)),
      pendingDots_(atDriveRoot ? 0 : 2) {
    if (!mask_.HasWildcards()) {
        single_ = mask_.Literal();
        pendingDots_ = 0;
    }
}

bool DirectorySearch::Advance() {
    if (!next_) {
        return false;
    }
    current_ = std::move(next_);
    next_ = Fetch();
    return next_.has_value();
}

bool DirectorySearch::IsDirectoryEntry(const char* name, unsigned char type) const {
    if (type == DT_DIR) {
        return true;
    }
    if (type != DT_UNKNOWN && type != DT_LNK) {
        return false;
    }
    // Follow links; a dangling link or a loop is not a directory.
    struct stat info {};
    return fstatat(dirfd(directory_.get()), name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

std::optional<FoundEntry> DirectorySearch::Fetch() {
    while (pendingDots_ > 0) {
        // ".." is matched as if it were ".".
        const bool dot = pendingDots_ == 2;
        --pendingDots_;
        if (mask_.Matches(".")) {
            return FoundEntry{dot ? "." : "..", true, std::nullopt};
        }
    }
    if (single_) {
        // A mask without wildcards names one entry: the exact name, else the first that matches
        // without regard to case.
        std::string wanted = std::move(*single_);
        single_.reset();
        std::optional<std::string> found;
        struct stat info {};
        if (IsWindowsFileName(wanted) &&
            fstatat(dirfd(directory_.get()), wanted.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
            found = wanted;
        } else {
            while (const dirent* entry = readdir(directory_.get())) {
                const std::string_view name(entry->d_name);
                if (name != "." && name != ".." && IsWindowsFileName(name) &&
                    EqualsIgnoringCase(name, wanted)) {
                    found = std::string(name);
                    break;
                }
            }
        }
        if (!found) {
            return std::nullopt;
        }
        const bool isDirectory = IsDirectoryEntry(found->c_str(), DT_UNKNOWN);
        return FoundEntry{std::move(*found), isDirectory, std::nullopt};
    }
    if (!mask_.HasWildcards()) {
        return std::nullopt;
    }
    while (const dirent* entry = readdir(directory_.get())) {
        const std::string_view name(entry->d_name);
        if (name == "." || name == ".." || !IsWindowsFileName(name) || !mask_.Matches(name)) {
            continue;
        }
        return FoundEntry{std::string(name), IsDirectoryEntry(entry->d_name, entry->d_type),
                          std::nullopt};
    }
    return std::nullopt;
}

std::uint32_t DirectorySearch::Attributes(const FoundEntry& entry) const {
    if (!entry.attributes) {
        std::uint32_t attributes = 0;
        if (entry.isDirectory) {
            attributes |= FILE_ATTRIBUTE_DIRECTORY;
        } else {
            attributes |= FILE_ATTRIBUTE_ARCHIVE;
        }
        // Wine shows dot files as hidden.
        if (entry.name.size() > 1 && entry.name[0] == '.' && entry.name != "..") {
            attributes |= FILE_ATTRIBUTE_HIDDEN;
        }
        struct stat info {};
        if (!entry.isDirectory &&
            fstatat(dirfd(directory_.get()), entry.name.c_str(), &info, 0) == 0 &&
            (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
            attributes |= FILE_ATTRIBUTE_READONLY;
        }
        entry.attributes = attributes;
    }
    return *entry.attributes;
}

}  // namespace wine
