#pragma once
// A Wine prefix built in a temporary directory for one test: drive_c, dosdevices/c: and z:,
// and whatever system.reg the test writes. The process points at it through WINEPREFIX while
// the object lives.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/platform/wine/wine_prefix.h"

class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = getenv(name)) {
            old_ = old;
        }
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
        wine::ResetPrefixSelection();
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment() {
        if (old_) {
            setenv(name_.c_str(), old_->c_str(), 1);
        } else {
            unsetenv(name_.c_str());
        }
        wine::ResetPrefixSelection();
    }

private:
    std::string name_;
    std::optional<std::string> old_;
};

class TemporaryDirectory {
public:
    TemporaryDirectory() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "velmora-platform-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        path_ = pattern;
    }
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
    ~TemporaryDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::filesystem::path& path, std::string_view content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

// Builds a prefix at `path` with c: -> ../drive_c and z: -> /.
inline void BuildPrefix(const std::filesystem::path& path) {
    std::filesystem::create_directories(path / "drive_c");
    std::filesystem::create_directories(path / "dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", path / "dosdevices" / "c:");
    std::filesystem::create_directory_symlink("/", path / "dosdevices" / "z:");
}

class TemporaryPrefix {
public:
    TemporaryPrefix() : environment_("WINEPREFIX", nullptr) {
        prefix_ = directory_.path() / "pfx";
        BuildPrefix(prefix_);
        setenv("WINEPREFIX", prefix_.c_str(), 1);
        wine::ResetPrefixSelection();
    }

    const std::filesystem::path& path() const { return prefix_; }
    std::filesystem::path driveC() const { return prefix_ / "drive_c"; }

    void WriteSystemReg(std::string_view content) const {
        WriteFile(prefix_ / "system.reg", content);
    }

private:
    TemporaryDirectory directory_;
    ScopedEnvironment environment_;
    std::filesystem::path prefix_;
};

// Changes the process's current directory (and $PWD) for one scope.
class ScopedCurrentDirectory {
public:
    explicit ScopedCurrentDirectory(const std::filesystem::path& path)
        : old_(std::filesystem::current_path()), pwd_("PWD", path.c_str()) {
        std::filesystem::current_path(path);
    }
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;
    ~ScopedCurrentDirectory() {
        std::error_code ignored;
        std::filesystem::current_path(old_, ignored);
    }

private:
    std::filesystem::path old_;
    ScopedEnvironment pwd_;
};
