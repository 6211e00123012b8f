#pragma once
// An open host directory stream (RAII over opendir/closedir). Internal to the platform layer.

#include <dirent.h>

#include <filesystem>
#include <memory>

namespace wine {

struct DirectoryCloser {
    void operator()(DIR* directory) const { closedir(directory); }
};
using HostDirectory = std::unique_ptr<DIR, DirectoryCloser>;

inline HostDirectory OpenHostDirectory(const std::filesystem::path& path) {
    return HostDirectory(opendir(path.c_str()));
}

}  // namespace wine
